// What the reader process sends back is untrusted: any bytes must either be
// refused as a malformed snapshot or give a database whose every answer the
// catalog run asks for comes back as a value or an AppError.
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "app/AppError.h"
#include "jet/DaoSchema.h"
#include "jet/JetDatabase.h"
#include "jet/Snapshot.h"
#include "tests/support/SchemaWalk.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    speclore::jet::Snapshot snapshot;
    try {
        snapshot = speclore::jet::decodeSnapshot(std::string_view(reinterpret_cast<const char*>(data), size));
    } catch (const speclore::jet::MalformedSnapshot&) {
        return 0;
    }
    try {
        // As the engine does, one object at a time, here once it is whole.
        speclore::jet::DaoTableDefs tables;
        for (uint32_t position = 0; position < snapshot.objects.size(); ++position)
            tables.take(snapshot, position, snapshot.objects[position]);
        std::vector<speclore::catalog::TableDef> tableDefs = std::move(tables).inCatalogOrder(snapshot);
        speclore::jet::JetDatabase database(std::move(snapshot), std::move(tableDefs));
        (void)speclore::testing::walkSchema(database);
        database.Close();
    } catch (const speclore::AppError&) {}
    return 0;
}
