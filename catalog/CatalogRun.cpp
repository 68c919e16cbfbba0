#include "catalog/CatalogRun.h"

#include <optional>
#include <utility>

#include "app/AppError.h"
#include "app/ErrorBox.h"
#include "app/InstallLayout.h"
#include "catalog/ItemNames.h"
#include "catalog/OpenMdbFile.h"
#include "catalog/OutputTransaction.h"
#include "catalog/QuerySheetWriter.h"
#include "catalog/RelationSheetWriter.h"
#include "catalog/RunProgress.h"
#include "catalog/SheetRowLimit.h"
#include "catalog/TableSheetWriter.h"

namespace speclore::catalog {

namespace {

constexpr const char* kRunTag = "fMain-CreateCatalog";

// Everything a run holds. A run that does not reach its end leaves through
// the destructor, after the error box: the workbook is closed without
// saving, the spreadsheet application is released without being asked to
// quit, the progress window is unloaded, the private workbook file goes
// (the output keeps what it held before the run), and the database is
// released last.
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
        output.reset();
        relationRows.reset();
        database.reset();
    }

    void loadProgress() {
        view_.Load();
        progressLoaded_ = true;
    }

    // The last step of a good run: close the rows and the database, save
    // and close the workbook and put it at the output path, quit the
    // application, unload the window.
    void finish() {
        relationRows->Close();
        database->database->Close();
        saveWorkbook();
        workbook.reset();
        output->commit();
        application->Quit();
        application.reset();
        output.reset();
        relationRows.reset();
        database.reset();
        view_.Unload();
        finished_ = true;
    }

    std::optional<OpenedDatabase> database;
    std::optional<OutputTransaction> output;
    std::unique_ptr<XlApplication> application;
    std::unique_ptr<XlWorkbook> workbook;
    std::unique_ptr<Recordset> relationRows;

private:
    ProgressView& view_;

    // The workbook is saved to the run's private file, whose name means
    // nothing to the person at the box: a failing save names the output.
    void saveWorkbook() {
        try {
            workbook->Close(true);
        } catch (const AppError& error) {
            if (error.number() == err::ApplicationDefined) throw;
            throw AppError::withReason(error.number(), output->failureReason());
        }
    }
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

// An output that is the same file as the template, the database, the
// workgroup file or the settings file would be replaced by the workbook:
// refuse such an output before anything is touched.
void refuseProtectedOutput(const std::string& outputPath, const std::string& templatePath,
                           const CatalogInputs& inputs, const std::string& iniPath) {
    std::vector<std::string> protectedFiles = {templatePath, inputs.login.databasePath, iniPath};
    if (!inputs.login.workgroupShownText.empty()) {
        protectedFiles.push_back(inputs.login.workgroupPath);
    }
    for (const std::string& file : protectedFiles) {
        if (sameExistingFile(outputPath, file)) {
            throw AppError::withReason(err::PathFileAccessError,
                                       "出力ファイルに " + file + " は指定できません。");
        }
    }
}

// The private copy is the template byte for byte, so a workbook that cannot
// be read there is a damaged template: say which file that is.
std::unique_ptr<XlWorkbook> openTemplateCopy(XlApplication& application, const std::string& copyPath,
                                             const std::string& templatePath) {
    try {
        return application.OpenPrivateWorkbook(copyPath);
    } catch (const AppError& error) {
        if (error.number() != err::ApplicationDefined) throw;
        throw AppError::withReason(
            err::ApplicationDefined,
            "テンプレート " + templatePath + " を使えません。(" + error.description() + ")");
    }
}

bool runCatalog(const std::string& outputPath, const CatalogInputs& inputs, CatalogServices& services,
                RunHoldings& run) {
    const ItemNames names = readItemNames(services.iniPath);
    run.loadProgress();
    RunProgress progress(services.progress);
    progress.startPhase(kTablePhaseText, selectedCount(inputs.tables));

    run.database = services.openedDatabase
                       ? std::exchange(services.openedDatabase, std::nullopt)
                       : OpenMdbFile(services.engines, services.programFolder, inputs.login);
    if (!run.database) return false;
    Database& database = *run.database->database;
    const WorkbookFormat format = workbookFormatOf(outputPath);
    const int32_t relationRows = countRelationRows(database);
    refuseRowsBeyondSheet(tableSheetLastRow(database, inputs.tables), relationSheetLastRow(relationRows),
                          services.spreadsheets.forFormat(format).maxRows(), format);

    const std::string templatePath =
        services.templatePath.empty()
            ? findProgramFile(services.programFolder, templateFileName(format), ProgramFileKind::Data)
            : services.templatePath;
    refuseProtectedOutput(outputPath, templatePath, inputs, services.iniPath);
    run.output.emplace(outputPath, templatePath);
    if (services.afterTemplateCopy) services.afterTemplateCopy();

    run.application = services.spreadsheets.forFormat(format).CreateApplication();
    run.workbook = openTemplateCopy(*run.application, run.output->workbookPath(), templatePath);
    XlWorksheet& tableSheet = run.workbook->Sheets(1);
    tableSheet.SetValue("A1", ExpandTitle(inputs.tableTitle, inputs.login.databasePath, services.today));
    writeTableSheet(tableSheet, database, inputs.tables, names, progress);

    progress.startPhase(kRelationPhaseText, relationRows);
    XlWorksheet& relationSheet = run.workbook->Sheets(2);
    relationSheet.SetValue("A1",
                           ExpandTitle(inputs.relationTitle, inputs.login.databasePath, services.today));
    run.relationRows = writeRelationSheet(relationSheet, database, names, progress);

    if (XlWorksheet* querySheet = run.workbook->findWorksheet(kQuerySheetName)) {
        const std::vector<QueryDef>& queries = database.QueryDefs();
        progress.startPhase(kQueryPhaseText, static_cast<int32_t>(queries.size()));
        querySheet->SetValue("A1", ExpandTitle(inputs.queryTitle, inputs.login.databasePath, services.today));
        writeQuerySheet(*querySheet, queries, names, progress);
    }

    run.finish();
    return true;
}

}  // namespace

bool CreateCatalog(const std::string& outputPath, const CatalogInputs& inputs, CatalogServices& services) {
    RunHoldings run(services.progress);
    return trap(ProcTag::common(kRunTag), false,
                [&] { return runCatalog(outputPath, inputs, services, run); });
}

}  // namespace speclore::catalog
