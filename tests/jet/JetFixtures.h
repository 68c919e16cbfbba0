// The fixture databases, the trimmed manifest that says what each holds,
// and an engine that reads them through the reader in the program folder.
#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "app/AppError.h"
#include "jet/JetEngine.h"

namespace speclore::test {

inline const std::filesystem::path kJetFixtures = SPECLORE_TEST_FIXTURES;

inline std::string fixture(const std::string& file) { return (kJetFixtures / file).string(); }

// The manifest entry of one fixture file.
inline const nlohmann::json& manifestOf(const std::string& file) {
    static const nlohmann::json manifest = [] {
        std::ifstream in(kJetFixtures / "jet_manifest.json");
        return nlohmann::json::parse(in);
    }();
    for (const auto& database : manifest["databases"]) {
        if (database["file"] == file) return database;
    }
    throw std::runtime_error("no manifest entry for " + file);
}

// For each database of the shared fixture folders, by file name: the names
// under the Tables container in the order of MSysObjects' ParentIdName
// index, as another reader read it.
inline const nlohmann::json& indexOrders() {
    static const nlohmann::json orders = [] {
        std::ifstream in(kJetFixtures / "index_order.json");
        return nlohmann::json::parse(in);
    }();
    return orders;
}

inline std::vector<std::string> indexOrderOf(const std::string& file) {
    return indexOrders().at(file).get<std::vector<std::string>>();
}

// Opens a fixture as OpenMdbFile does with an empty workgroup box and no
// workgroup file beside the program.
inline std::unique_ptr<catalog::Database> openFixture(const std::string& file,
                                                      const std::string& connect = "") {
    jet::JetDbEngineFactory factory(SPECLORE_PROGRAM_DIR);
    auto engine = factory.NewEngine();
    engine->SetSystemDB("");
    engine->SetDefaultUser("Admin");
    engine->SetDefaultPassword("");
    return engine->OpenDatabase(fixture(file), false, false, connect);
}

// A copy of the Jet 3 fixture `file` in `folder`, named `copyName`, with
// every occurrence of `from` on its data pages replaced by `to` (of the
// same length, so that nothing else moves; Jet 3 pages carry no checksum).
inline std::string patchedJet3Copy(const std::filesystem::path& folder, const std::string& file,
                                   const std::string& copyName, const std::string& from,
                                   const std::string& to) {
    constexpr size_t kJet3PageSize = 2048;
    constexpr char kDataPage = 0x01;
    std::ifstream in(kJetFixtures / file, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    for (size_t at = bytes.find(from); at != std::string::npos; at = bytes.find(from, at + 1)) {
        if (bytes[at / kJet3PageSize * kJet3PageSize] == kDataPage) bytes.replace(at, from.size(), to);
    }
    std::string path = (folder / copyName).string();
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

// The number of the AppError that `body` raises, 0 when it raises none.
template <typename Body>
int32_t errorNumberOf(Body&& body) {
    try {
        body();
    } catch (const AppError& e) {
        return e.number();
    }
    return 0;
}

}  // namespace speclore::test
