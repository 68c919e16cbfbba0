// fMain, the program's working window: the database and its tables, the
// passwords and workgroup login, the two sheet titles, and the commands that
// choose them and start a catalog run.
#pragma once

#include <QPointer>
#include <QWidget>
#include <string>

#include "catalog/CatalogInputs.h"
#include "catalog/DatabaseEngine.h"
#include "catalog/Spreadsheet.h"
#include "catalog/WorkbookFormat.h"
#include "ui/ItemNameDialog.h"

class QFrame;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace speclore::ui {

// What the window reaches outside itself: an engine per database opening
// and the spreadsheet application of a run, one per workbook format.
struct MainWindowEngines {
    catalog::DbEngineFactory& databases;
    catalog::SpreadsheetEngines spreadsheets;
};

// "Morvane Ver" with major, ".", minor and revision run together.
QString mainWindowCaption(int major, int minor, int revision);

// The output workbook's suggested name: the database's file name without
// its extension ("a.b.mdb" gives "a.b").
std::string defaultWorkbookName(const std::string& databasePath);

class FMain : public QWidget {
public:
    explicit FMain(MainWindowEngines engines);
    ~FMain() override;

    // Restores section "INITIAL", folds or unfolds, and shows the window.
    void Form_Load();
    // Saves section "INITIAL"; runs when the window closes.
    void Form_Unload();
    void SetEnabled();
    void cmd詳細設定_Click();

    void cmd処理ファイル参照_Click();
    void cmd全て選択_Click();
    void cmd全て解除_Click();
    void cmdMDWファイル参照_Click();
    void cmdMDW情報クリア_Click();

    void cmd処理開始_Click();
    // One catalog run into outputPath with the window's current values.
    bool CreateCatalog(const std::string& outputPath);

    void cmd項目名称設定_Click();

    bool advancedOpen() const { return AdvancedOpen; }
    // The open item names dialog, if any.
    FItemName* itemNameDialog() const { return itemNames_; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // The file dialogs take their owner as an opaque pointer, which the Qt
    // service turns back into the QWidget it must be.
    void* dialogOwner() { return static_cast<QWidget*>(this); }
    void createControls();
    void connectCommands();
    catalog::DatabaseLogin currentLogin() const;
    catalog::CatalogInputs currentInputs() const;
    void setSelectionOfAll(bool selected);

    MainWindowEngines engines_;
    bool AdvancedOpen = false;
    // True while a catalog run holds the thread; the window may not close.
    bool runInProgress_ = false;
    QPointer<FItemName> itemNames_;

    QLabel* Label11 = nullptr;
    QLineEdit* txt処理ファイル = nullptr;
    QPushButton* cmd処理ファイル参照 = nullptr;
    QListWidget* lst処理テーブル = nullptr;
    QPushButton* cmd全て選択 = nullptr;
    QPushButton* cmd全て解除 = nullptr;
    QPushButton* cmd処理開始 = nullptr;
    QPushButton* cmd詳細設定 = nullptr;
    QLineEdit* txtDBパスワード = nullptr;
    QLineEdit* txtMDWファイル = nullptr;
    QPushButton* cmdMDWファイル参照 = nullptr;
    QLineEdit* txtアカウント名 = nullptr;
    QLineEdit* txtパスワード = nullptr;
    QPushButton* cmdMDW情報クリア = nullptr;
    QLineEdit* txtテーブルタイトル = nullptr;
    QLineEdit* txtリレーションタイトル = nullptr;
    QPushButton* cmd項目名称設定 = nullptr;
    QFrame* Line01 = nullptr;
    QFrame* Line02 = nullptr;
};

}  // namespace speclore::ui
