// Shared set-up of the window tests: one QApplication on the offscreen
// platform, a settings file in a fresh folder, and engines that tests can
// make fail on purpose.
#pragma once

#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QWidget>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "app/AppError.h"
#include "app/AppGlobals.h"
#include "app/Cp932.h"
#include "catalog/DatabaseEngine.h"
#include "catalog/Spreadsheet.h"
#include "support/TempDir.h"

namespace speclore::uitest {

// The application lives until the process ends and is never destroyed:
// destroying it among the static destructors crashes once Qt Test's input
// devices (themselves statics) have gone first.
inline void ensureApplication() {
    static QApplication* app = [] {
        if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
        static int argc = 1;
        static char name[] = "tests_ui";
        static char* argv[] = {name, nullptr};
        return new QApplication(argc, argv);
    }();
    (void)app;
}

// Program folder with the real cipher library, settings file in a fresh
// folder; restored to start-up's defaults for every test.
class WindowTestEnvironment {
public:
    WindowTestEnvironment() {
        ensureApplication();
        AppGlobals& g = appGlobals();
        g.programFolder = SPECLORE_PROGRAM_DIR;
        g.iniPath = (folder / "Speclore.ini").string();
        g.twipsPerPixel = 15;
        g.captionHeight = 0;
        g.frameHeight = 0;
    }
    // The settings file as UTF-8 (it is kept in code page 932).
    std::string iniText() const {
        std::ifstream in(appGlobals().iniPath, std::ios::binary);
        return cp932ToUtf8(std::string(std::istreambuf_iterator<char>(in), {}));
    }
    void writeIni(const std::string& utf8) const {
        std::ofstream(appGlobals().iniPath, std::ios::binary) << utf8ToCp932(utf8);
    }

    speclore::test::TempDir folder{"speclore-ui"};
};

template <class W>
W* child(QWidget* window, const char* name) {
    W* widget = window->findChild<W*>(QString::fromUtf8(name));
    if (!widget) throw std::runtime_error(std::string("no control ") + name);
    return widget;
}

inline void click(QWidget* window, const char* button) { child<QPushButton>(window, button)->click(); }

inline std::vector<std::string> listEntries(QWidget* window, bool selectedOnly = false) {
    auto* list = child<QListWidget>(window, "lst処理テーブル");
    std::vector<std::string> entries;
    for (int i = 0; i < list->count(); ++i) {
        if (!selectedOnly || list->item(i)->isSelected()) {
            entries.push_back(list->item(i)->text().toStdString());
        }
    }
    return entries;
}

// A database engine that serves a fixed list of tables, or fails where a
// test asks it to.
struct FakeDatabases : catalog::DbEngineFactory {
    std::vector<catalog::TableDef> tables;
    bool engineFails = false;
    bool openFails = false;
    std::string lastSystemDb, lastUser, lastPassword, lastConnect, lastPath;

    struct Db : catalog::Database {
        const std::vector<catalog::TableDef>& defs;
        explicit Db(const std::vector<catalog::TableDef>& d) : defs(d) {}
        const std::vector<catalog::TableDef>& TableDefs() const override { return defs; }
        const catalog::TableDef& TableDefs(const std::string&) const override {
            throw AppError(err::DbItemNotFound);
        }
        const std::vector<catalog::QueryDef>& QueryDefs() const override { return queries; }
        std::vector<catalog::QueryDef> queries;
        std::unique_ptr<catalog::Recordset> OpenRecordset(const std::string&, int) override {
            throw AppError(err::DbSyntaxError);
        }
        void Close() override {}
    };
    struct Engine : catalog::DbEngine {
        FakeDatabases& owner;
        explicit Engine(FakeDatabases& o) : owner(o) {}
        void SetSystemDB(const std::string& p) override { owner.lastSystemDb = p; }
        void SetDefaultUser(const std::string& u) override { owner.lastUser = u; }
        void SetDefaultPassword(const std::string& p) override { owner.lastPassword = p; }
        std::unique_ptr<catalog::Database> OpenDatabase(const std::string& name, bool, bool,
                                                        const std::string& connect) override {
            owner.lastPath = name;
            owner.lastConnect = connect;
            if (owner.openFails) throw AppError(err::DbInvalidPassword, "パスワードが違います。");
            return std::make_unique<Db>(owner.tables);
        }
    };
    std::unique_ptr<catalog::DbEngine> NewEngine() override {
        if (engineFails) throw AppError(err::CannotCreateObject);
        return std::make_unique<Engine>(*this);
    }
};

// For tests that never reach a run's spreadsheet.
struct NoSpreadsheets : catalog::XlApplicationFactory {
    std::unique_ptr<catalog::XlApplication> CreateApplication() override {
        throw AppError(err::CannotCreateObject);
    }
    int32_t maxRows() const override { return 65536; }
};

}  // namespace speclore::uitest
