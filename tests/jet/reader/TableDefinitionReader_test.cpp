// The reader reads every table definition into the same table, keeping its
// room from one to the next: nothing of one table may show in the next,
// whatever their order, and descriptions must land on the same columns as
// when each table is read afresh.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "jet/SnapshotEncoder.h"
#include "jet/reader/ComplexColumns.h"
#include "jet/reader/DatabaseFile.h"
#include "jet/reader/PropertyBlob.h"
#include "jet/reader/SystemTables.h"
#include "jet/reader/TableDefinition.h"

namespace speclore::jet::reader {
namespace {

const std::string kFixtures = SPECLORE_TEST_FIXTURES;

// Every field of the table, descriptions included, as the snapshot holds it.
std::string encoded(const RawTable& table) {
    SnapshotEncoder encoder;
    CatalogObject object;
    object.table = table;
    encoder.object(object);
    return encoder.take();
}

std::string describedTable(TableDefinitionReader& reader, const CatalogRow& row) {
    return encoded(reader.read(row.definitionPage, row.columnProperties));
}

TEST(TableDefinitionReader, ReadsEachTableAsAFreshReaderDoes) {
    // Complex and calculated columns, descriptions, Jet 3 and Jet 4 tables
    // of different widths and indexes.
    for (const char* file : {"complexDataTestV2007.accdb", "calcFieldTestV2010.accdb", "catalog_ja.mdb",
                             "testV1997.mdb", "indexTestV2000.mdb", "withdeletedcol.accdb"}) {
        SCOPED_TRACE(file);
        DatabaseFile database(kFixtures + "/" + file);
        MdbHandle* mdb = database.openWithLibmdb();
        ASSERT_NE(mdb, nullptr);
        const std::vector<CatalogRow> catalog = readCatalog(mdb);
        const ComplexTypeTables complexTypes = readComplexTypeTables(mdb, catalog);
        std::vector<const CatalogRow*> tables;
        for (const CatalogRow& row : catalog) {
            if (row.object.type == 1) tables.push_back(&row);
        }
        ASSERT_GT(tables.size(), 3u);
        std::vector<const CatalogRow*> backwards(tables.rbegin(), tables.rend());
        TableDefinitionReader reused(mdb, complexTypes);
        for (const std::vector<const CatalogRow*>* order : {&tables, &backwards}) {
            for (const CatalogRow* row : *order) {
                TableDefinitionReader fresh(mdb, complexTypes);
                EXPECT_EQ(describedTable(reused, *row), describedTable(fresh, *row)) << row->object.name;
            }
        }
        mdb_close(mdb);
    }
}

}  // namespace
}  // namespace speclore::jet::reader
