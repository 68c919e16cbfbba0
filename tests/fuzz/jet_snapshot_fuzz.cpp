// What the reader process sends back is untrusted: any bytes must either be
// refused as a malformed snapshot or give a database whose every answer the
// catalog run asks for comes back as a value or an AppError.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "app/AppError.h"
#include "jet/JetDatabase.h"
#include "jet/Snapshot.h"

namespace {

const char* const kRelationCount =
    "SELECT Count(*) AS 件数 FROM MSysRelationships INNER JOIN MSysObjects ON "
    "MSysRelationships.szObject = MSysObjects.Name WHERE (((MSysObjects.Type)=1) AND "
    "((MSysObjects.Flags)=0));";
const char* const kRelationRows =
    "SELECT szObject, szColumn, szReferencedObject, szReferencedColumn, grbit FROM "
    "MSysRelationships INNER JOIN MSysObjects ON MSysRelationships.szObject = MSysObjects.Name "
    "WHERE (((MSysObjects.Type)=1) AND ((MSysObjects.Flags)=0)) ORDER BY szObject, icolumn;";

template <class Body>
void answerOrAppError(Body&& body) {
    try {
        body();
    } catch (const speclore::AppError&) {
    }
}

void walkTables(const speclore::catalog::Database& database) {
    for (const auto& table : database.TableDefs()) {
        answerOrAppError([&] { (void)database.TableDefs(table.name); });
        answerOrAppError([&] { (void)table.Description(); });
        for (const auto& field : table.fields) {
            answerOrAppError([&] { (void)field.Description(); });
        }
        for (const auto& index : table.indexes) {
            for (const auto& name : index.fields) (void)name.size();
        }
    }
}

void readRelations(speclore::catalog::Database& database) {
    answerOrAppError([&] {
        auto count = database.OpenRecordset(kRelationCount, speclore::catalog::dbOpenSnapshot);
        if (!count->Eof()) (void)count->Fields("件数").asLong();
        count->Close();
    });
    answerOrAppError([&] {
        auto rows = database.OpenRecordset(kRelationRows, speclore::catalog::dbOpenSnapshot);
        while (!rows->Eof()) {
            for (const char* column : {"szObject", "szColumn", "szReferencedObject", "szReferencedColumn"})
                answerOrAppError([&] { (void)rows->Fields(column).asText(); });
            answerOrAppError([&] { (void)rows->Fields("grbit").asLong(); });
            rows->MoveNext();
        }
        rows->Close();
    });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    speclore::jet::Snapshot snapshot;
    try {
        snapshot = speclore::jet::decodeSnapshot(std::string_view(reinterpret_cast<const char*>(data), size));
    } catch (const speclore::jet::MalformedSnapshot&) {
        return 0;
    }
    answerOrAppError([&] {
        speclore::jet::JetDatabase database(snapshot);
        walkTables(database);
        readRelations(database);
        database.Close();
    });
    return 0;
}
