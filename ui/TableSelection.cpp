// fMain's commands that choose the database, its tables and the workgroup
// login.
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>

#include "app/AppGlobals.h"
#include "app/ErrorBox.h"
#include "app/FileDialogs.h"
#include "app/MessageBox.h"
#include "catalog/OpenMdbFile.h"
#include "frontend/ListedTables.h"
#include "ui/FormControls.h"
#include "ui/MainWindow.h"
#include "ui/QtText.h"

namespace speclore::ui {

namespace {

const std::string kDatabaseFilter = filterText(
    {{"Microsoft Access データベース (*.mdb;*.mde)", "*.mdb;*.mde"}, {"すべてのファイル (*.*)", "*.*"}});
const std::string kWorkgroupFilter =
    filterText({{"ワークグループ ファイル (*.mdw)", "*.mdw"}, {"すべてのファイル (*.*)", "*.*"}});

constexpr const char* kBrowseStopped = "処理ファイルの参照に失敗しました。\r\n\r\n処理を中止します。";

}  // namespace

catalog::DatabaseLogin FMain::currentLogin() const {
    catalog::DatabaseLogin login;
    login.databasePath = pathBoxTag(txt処理ファイル);
    login.databasePassword = toUtf8String(txtDBパスワード->text());
    login.workgroupShownText = toUtf8String(txtMDWファイル->text());
    login.workgroupPath = pathBoxTag(txtMDWファイル);
    login.accountName = toUtf8String(txtアカウント名->text());
    login.accountPassword = toUtf8String(txtパスワード->text());
    return login;
}

void FMain::cmd処理ファイル参照_Click() {
    bool finished = trap(ProcTag::common("fMain-cmd処理ファイル参照_Click"), [this] {
        std::string path =
            OpenFileDlg(dialogOwner(), kDatabaseFilter, toUtf8String(Label11->text()), "", "", "");
        if (path.empty()) return;
        catalog::DatabaseLogin login = currentLogin();
        login.databasePath = path;
        auto opened = catalog::OpenMdbFile(engines_.databases, appGlobals().programFolder, login);
        if (!opened) return;
        setPathBox(txt処理ファイル, path);
        lst処理テーブル->clear();
        for (const std::string& name : frontend::listedTables(*opened->database)) {
            lst処理テーブル->addItem(toQString(name));
        }
        opened->database->Close();
        setSelectionOfAll(true);
    });
    if (finished) return;
    MsgBox(kBrowseStopped, vbCritical);
    ignoringFailures([this] { clearPathBox(txt処理ファイル); });
    ignoringFailures([this] { lst処理テーブル->clear(); });
}

void FMain::setSelectionOfAll(bool selected) {
    QItemSelectionModel* selection = lst処理テーブル->selectionModel();
    // From the last entry back to the first, so the list ends with its first
    // entry current and in view.
    for (int row = lst処理テーブル->count() - 1; row >= 0; --row) {
        QListWidgetItem* item = lst処理テーブル->item(row);
        item->setSelected(selected);
        selection->setCurrentIndex(lst処理テーブル->indexFromItem(item), QItemSelectionModel::NoUpdate);
    }
}

void FMain::cmd全て選択_Click() {
    trap(ProcTag::common("fMain-cmd全て選択_Click"), [this] { setSelectionOfAll(true); });
}

void FMain::cmd全て解除_Click() {
    trap(ProcTag::common("fMain-cmd全て解除_Click"), [this] { setSelectionOfAll(false); });
}

void FMain::cmdMDWファイル参照_Click() {
    trap(ProcTag::common("fMain-cmdMDWファイル参照_Click"), [this] {
        std::string path = OpenFileDlg(dialogOwner(), kWorkgroupFilter,
                                       "ワークグループ情報ファイルを選択してください", "", "", "");
        if (!path.empty()) setPathBox(txtMDWファイル, path);
    });
}

void FMain::cmdMDW情報クリア_Click() {
    trap(ProcTag::common("fMain-cmdMDW情報クリア_Click"), [this] {
        if (MsgBox("ワークグループ情報をクリアしますか？", vbYesNoQuestion) != MsgBoxAnswer::Yes) {
            return;
        }
        clearPathBox(txtMDWファイル);
        txtアカウント名->clear();
        txtパスワード->clear();
    });
}

}  // namespace speclore::ui
