// fMain's start command: the checks, the output workbook's name, and the
// catalog run with the progress window.
#include <QLineEdit>
#include <QListWidget>

#include "app/AppGlobals.h"
#include "app/ErrorBox.h"
#include "app/FileDialogs.h"
#include "app/MessageBox.h"
#include "app/PathText.h"
#include "catalog/CatalogRun.h"
#include "frontend/InitialSettings.h"
#include "frontend/RunMessages.h"
#include "frontend/Today.h"
#include "ui/FormControls.h"
#include "ui/MainWindow.h"
#include "ui/ProgressWindow.h"
#include "ui/QtText.h"

namespace speclore::ui {

namespace {

// The chosen type decides the workbook's format; .xls comes first as it
// always has.
const std::string kWorkbookFilter = filterText({{"Microsoft Excel ブック (*.xls)", "*.xls"},
                                                {"Excel ブック (*.xlsx)", "*.xlsx"},
                                                {"すべてのファイル (*.*)", "*.*"}});

}  // namespace

std::string defaultWorkbookName(const std::string& databasePath) {
    std::string name = GetFileName(databasePath);
    std::size_t dot = name.rfind('.');
    if (dot != std::string::npos) name.erase(dot);
    return name;
}

catalog::CatalogInputs FMain::currentInputs() const {
    catalog::CatalogInputs inputs;
    inputs.login = currentLogin();
    for (int row = 0; row < lst処理テーブル->count(); ++row) {
        const QListWidgetItem* item = lst処理テーブル->item(row);
        inputs.tables.push_back({toUtf8String(item->text()), item->isSelected()});
    }
    inputs.tableTitle = toUtf8String(txtテーブルタイトル->text());
    inputs.relationTitle = toUtf8String(txtリレーションタイトル->text());
    inputs.queryTitle = frontend::initialQueryTitle(appGlobals().iniPath);
    return inputs;
}

void FMain::cmd処理開始_Click() {
    trap(ProcTag::common("fMain-cmd処理開始_Click"), [this] {
        if (txt処理ファイル->text().isEmpty()) {
            MsgBox(frontend::kNoDatabaseChosen, vbInformation);
            return;
        }
        if (!(lst処理テーブル->selectedItems().size() > 0)) {
            MsgBox(frontend::kNoTableChosen, vbInformation);
            return;
        }
        std::string outputPath =
            SaveFileDlg(dialogOwner(), kWorkbookFilter, "テーブル仕様書を名前を付けて保存してください", "",
                        defaultWorkbookName(pathBoxTag(txt処理ファイル)), ".xls");
        if (outputPath.empty()) return;
        frontend::showRunOutcome(CreateCatalog(outputPath));
    });
}

bool FMain::CreateCatalog(const std::string& outputPath) {
    FProcess progress;
    catalog::CatalogServices services{engines_.databases,         engines_.spreadsheets, progress,
                                      appGlobals().programFolder, appGlobals().iniPath,  frontend::today()};
    struct RunFlag {
        bool& flag;
        explicit RunFlag(bool& f) : flag(f) { flag = true; }
        ~RunFlag() { flag = false; }
    } running(runInProgress_);
    return catalog::CreateCatalog(outputPath, currentInputs(), services);
}

}  // namespace speclore::ui
