#include "catalog/CatalogRun.h"

#include <unistd.h>

#include <optional>

#include "app/AppError.h"
#include "app/ErrorBox.h"
#include "app/InstallLayout.h"
#include "catalog/ItemNames.h"
#include "catalog/OpenMdbFile.h"
#include "catalog/RelationSheetWriter.h"
#include "catalog/RunProgress.h"
#include "catalog/TableSheetWriter.h"
#include "catalog/TemplateCopy.h"

namespace speclore::catalog {

namespace {

constexpr const char* kRunTag = "fMain-CreateCatalog";

// Everything a run holds. A run that does not reach its end leaves through
// the destructor, after the error box: the workbook is closed without
// saving (the output keeps the unchanged template copy), the spreadsheet
// application is released without being asked to quit, the progress
// window is unloaded, and the database is released last.
class RunHoldings {
public:
    explicit RunHoldings(ProgressView& view) : view_(view) {}
    RunHoldings(const RunHoldings&) = delete;
    RunHoldings& operator=(const RunHoldings&) = delete;

    ~RunHoldings() {
        if (finished_) return;
        ignoringFailures([this] {
            if (workbook) workbook->Close(false);
        });
        workbook.reset();
        application.reset();
        if (progressLoaded_) ignoringFailures([this] { view_.Unload(); });
        relationRows.reset();
        database.reset();
    }

    void LoadProgress() {
        view_.Load();
        progressLoaded_ = true;
    }

    // The last step of a good run: close the rows and the database, save
    // and close the workbook, quit the application, unload the window.
    void Finish() {
        relationRows->Close();
        database->database->Close();
        workbook->Close(true);
        workbook.reset();
        application->Quit();
        application.reset();
        relationRows.reset();
        database.reset();
        view_.Unload();
        finished_ = true;
    }

    std::optional<OpenedDatabase> database;
    std::unique_ptr<XlApplication> application;
    std::unique_ptr<XlWorkbook> workbook;
    std::unique_ptr<Recordset> relationRows;

private:
    ProgressView& view_;
    bool progressLoaded_ = false;
    bool finished_ = false;
};

int32_t selectedCount(const std::vector<TableListItem>& tables) {
    int32_t count = 0;
    for (const TableListItem& item : tables) {
        if (item.selected) ++count;
    }
    return count;
}

// Replacing the output deletes it first, so an output that is the same
// file as the template, the database, the workgroup file or the settings
// file would destroy it: refuse such an output before anything is touched.
void refuseProtectedOutput(const std::string& outputPath, const std::string& templatePath,
                           const CatalogInputs& inputs, const std::string& iniPath) {
    std::vector<std::string> protectedFiles = {templatePath, inputs.login.databasePath, iniPath};
    if (!inputs.login.workgroupShownText.empty()) {
        protectedFiles.push_back(inputs.login.workgroupPath);
    }
    for (const std::string& file : protectedFiles) {
        if (SameExistingFile(outputPath, file)) {
            throw AppError(err::PathFileAccessError, "出力ファイルに " + file + " は指定できません。");
        }
    }
}

bool runCatalog(const std::string& outputPath, const CatalogInputs& inputs, CatalogServices& services,
                RunHoldings& run) {
    const ItemNames names = ReadItemNames(services.iniPath);
    run.LoadProgress();
    RunProgress progress(services.progress);
    progress.StartPhase(kTablePhaseText, selectedCount(inputs.tables));

    run.database = OpenMdbFile(services.engines, services.programFolder, inputs.login);
    if (!run.database) return false;
    Database& database = *run.database->database;

    const WorkbookFormat format = WorkbookFormatOf(outputPath);
    const std::string templatePath =
        services.templatePath.empty()
            ? findProgramFile(services.programFolder, TemplateFileName(format), ProgramFileKind::Data)
            : services.templatePath;
    refuseProtectedOutput(outputPath, templatePath, inputs, services.iniPath);
    ::unlink(outputPath.c_str());
    CopyFileWhole(templatePath, outputPath);

    run.application = services.spreadsheets.forFormat(format).CreateApplication();
    run.workbook = run.application->OpenWorkbook(outputPath);
    XlWorksheet& tableSheet = run.workbook->Sheets(1);
    tableSheet.SetValue("A1", ExpandTitle(inputs.tableTitle, inputs.login.databasePath, services.today));
    WriteTableSheet(tableSheet, database, inputs.tables, names, progress);

    progress.StartPhase(kRelationPhaseText, CountRelationRows(database));
    XlWorksheet& relationSheet = run.workbook->Sheets(2);
    relationSheet.SetValue("A1",
                           ExpandTitle(inputs.relationTitle, inputs.login.databasePath, services.today));
    run.relationRows = WriteRelationSheet(relationSheet, database, names, progress);

    run.Finish();
    return true;
}

}  // namespace

bool CreateCatalog(const std::string& outputPath, const CatalogInputs& inputs, CatalogServices& services) {
    RunHoldings run(services.progress);
    return trap(ProcTag::common(kRunTag), false,
                [&] { return runCatalog(outputPath, inputs, services, run); });
}

}  // namespace speclore::catalog
