// A catalog run on a fixture database with the real engines, without any
// window: a program folder of its own (template, settings file), a
// recording progress window and message box, and the written workbook read
// back by xlsdump.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

#include "app/Cp932.h"
#include "catalog/CatalogRun.h"
#include "catalog/ItemNames.h"
#include "catalog/OpenMdbFile.h"
#include "jet/JetEngine.h"
#include "support/FileBytes.h"
#include "support/RecordingMessageBox.h"
#include "support/TempDir.h"
#include "support/Xlsdump.h"
#include "xls/XlsApplication.h"
#include "xlsx/XlsxApplication.h"

namespace speclore::test {

// Every call the run makes on the progress window, in order.
class RecordingProgress : public catalog::ProgressView {
public:
    void Load() override { events.push_back("Load"); }
    void SetPhaseText(const std::string& t) override { events.push_back("Phase " + t); }
    void SetItemName(const std::string& t) override { events.push_back("Item " + t); }
    void SetCounterText(const std::string& t) override { events.push_back("Counter " + t); }
    void SetMax(int32_t v) override { events.push_back("Max " + std::to_string(v)); }
    void SetValue(int32_t v) override { events.push_back("Value " + std::to_string(v)); }
    void Refresh() override { events.push_back("Refresh"); }
    void Unload() override { events.push_back("Unload"); }

    std::vector<std::string> events;
};

inline std::string fixturePath(const std::string& name) {
    return std::string(SPECLORE_TEST_FIXTURES) + "/" + name;
}

// The caption the harness's settings file stores under a key: the key in
// Japanese brackets, so that each cell tells which key was chosen.
inline std::string caption(const std::string& key) { return "「" + key + "」"; }

class CatalogHarness {
public:
    CatalogHarness() {
        std::filesystem::create_directory(programFolder());
        std::filesystem::copy_file(std::string(SPECLORE_PROGRAM_DIR) + "/Template.xls", templatePath());
        std::filesystem::copy_file(std::string(SPECLORE_PROGRAM_DIR) + "/Template.xlsx",
                                   programFolder() + "/Template.xlsx");
        std::string ini = "[CATALOG]\r\n";
        for (const auto& entry : catalog::kItemNameKeys) {
            ini += std::string(entry.key) + "=" + caption(entry.key) + "\r\n";
        }
        writeText(iniPath(), utf8ToCp932(ini));
    }

    std::string programFolder() const { return (dir / "program").string(); }
    std::string templatePath() const { return programFolder() + "/Template.xls"; }
    std::string iniPath() const { return programFolder() + "/Speclore.ini"; }
    std::string outputPath() const { return (dir / "仕様書.xls").string(); }

    // The fixture's tables as the main window lists them, all selected.
    catalog::CatalogInputs inputsFor(const std::string& fixture) {
        catalog::CatalogInputs inputs;
        inputs.login.databasePath = fixturePath(fixture);
        auto opened = open(inputs.login);
        for (const catalog::TableDef& table : opened.database->TableDefs()) {
            if (table.attributes == 0) inputs.tables.push_back({table.name, true});
        }
        return inputs;
    }

    // The database as the main window opens it; a failure fails the test.
    catalog::OpenedDatabase open(const catalog::DatabaseLogin& login) {
        auto opened = catalog::OpenMdbFile(engines, programFolder(), login);
        if (!opened) throw std::runtime_error("cannot open " + login.databasePath);
        return std::move(*opened);
    }

    bool run(const catalog::CatalogInputs& inputs) { return runTo(outputPath(), inputs); }

    bool runTo(const std::string& output, const catalog::CatalogInputs& inputs) {
        progress.events.clear();
        boxes.boxes.clear();
        catalog::CatalogServices services{
            engines, {spreadsheets, xlsxSpreadsheets}, progress, programFolder(), iniPath(), today};
        // Once: a run that the hook starts does not call it again.
        services.afterTemplateCopy = std::exchange(afterTemplateCopy, {});
        services.openedDatabase = std::exchange(openedDatabase, std::nullopt);
        return catalog::CreateCatalog(output, inputs, services);
    }

    nlohmann::json sheet(int number) const {
        return sheetNumber(xlsdumpJson(outputPath(), {"--sheet", std::to_string(number)}), number);
    }

    // Called by the next run between its template copy and its opening of
    // the workbook.
    std::function<void()> afterTemplateCopy;
    // Handed to the next run as the database already opened for it.
    std::optional<catalog::OpenedDatabase> openedDatabase;

    TempDir dir{"speclore-catalog"};
    catalog::CalendarDate today{2026, 3, 5};
    jet::JetDbEngineFactory engines{SPECLORE_PROGRAM_DIR};
    xls::XlsApplicationFactory spreadsheets;
    xlsx::XlsxApplicationFactory xlsxSpreadsheets;
    RecordingProgress progress;
    speclore::testing::RecordingMessageBox boxes;
};

// The value of a cell as text ("" for no cell or no value); whole numbers
// as their digits.
inline std::string cellText(const nlohmann::json& sheet, const std::string& address) {
    const nlohmann::json* cell = findCell(sheet, address);
    if (!cell || !cell->contains("value") || cell->at("value").is_null()) return "";
    const nlohmann::json& value = cell->at("value");
    if (value.is_string()) return value.get<std::string>();
    if (value.is_number_integer()) return std::to_string(value.get<long long>());
    return value.dump();
}

}  // namespace speclore::test
