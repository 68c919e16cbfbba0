// speclore-mdb-reader: opens one Access database read-only with libmdb and
// writes everything the engine needs as a snapshot to standard output.
//
//   speclore-mdb-reader database <file>   catalog, local table definitions
//                                          with descriptions, MSysRelationships,
//                                          MSysQueries
//   speclore-mdb-reader accounts <file>   catalog and MSysAccounts of a
//                                          workgroup file
//
// An encrypted ACE database is unlocked with the password that the program
// writes to standard input.
//
// libmdb is not hardened against hostile files, so it only ever runs in
// this short-lived process; the program treats any failure here (exit
// status, signal, time-out, malformed output) as an open failure, and an
// exhausted memory limit as a database too large.
//
// The reader opens everything it needs first (the database's image, the
// text conversions), then confines itself, and only then parses the file.
#include <iconv.h>
#include <malloc.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <new>
#include <optional>
#include <string>
#include <system_error>

#include "jet/ReaderExitCodes.h"
#include "jet/Snapshot.h"
#include "jet/SnapshotEncoder.h"
#include "jet/WholeWrite.h"
#include "jet/crypt/CryptFailure.h"
#include "jet/reader/ComplexColumns.h"
#include "jet/reader/Confinement.h"
#include "jet/reader/DatabaseFile.h"
#include "jet/reader/DatabaseOpening.h"
#include "jet/reader/MdbHeader.h"
#include "jet/reader/NameIndex.h"
#include "jet/reader/SavedQueryRows.h"
#include "jet/reader/SystemTables.h"
#include "jet/reader/TableDefinition.h"
#ifdef SPECLORE_READER_PROBE
#include "jet/reader/probe/ForbiddenActs.h"
#endif

using namespace speclore::jet;
using namespace speclore::jet::reader;

namespace {

// libmdb reads Jet 3 text through glibc's SHIFT-JIS for code page 932,
// which loses backslashes and the NEC and IBM characters; CP932 is the
// code page that Japanese Windows really uses.
void useDatabaseCodePage(MdbHandle* mdb) {
    if (mdb->f->jet_version != MDB_VER_JET3) return;
    const uint16_t codePage = mdb->f->code_page;
    std::string charset = codePage == 932 || codePage == 0 ? "CP932" : "CP" + std::to_string(codePage);
    iconv_t probe = iconv_open("UTF-8", charset.c_str());
    if (probe == reinterpret_cast<iconv_t>(-1)) {
        charset = "CP1252";
    } else {
        iconv_close(probe);
    }
    mdb_iconv_close(mdb);
    setenv("MDB_JET3_CHARSET", charset.c_str(), 1);
    mdb_iconv_init(mdb);
}

SnapshotFormat formatOf(MdbHandle* mdb) {
    switch (mdb->f->jet_version) {
    case MDB_VER_JET3: return SnapshotFormat::Jet3;
    case MDB_VER_JET4: return SnapshotFormat::Jet4;
    default: return SnapshotFormat::Ace;
    }
}

// Reads the catalog and the system tables first, then sends each object
// with its table definition as soon as that is read: only the catalog
// stays in memory, and the program decodes while the reader reads on.
void writeSnapshot(MdbHandle* mdb, bool accounts, std::vector<CatalogRow>& catalog, SnapshotEncoder& out) {
    catalog = readCatalog(mdb);
    std::vector<uint32_t> nameOrder;
    if (!accounts) nameOrder = nameIndexOrder(mdb, catalog);
    const ComplexTypeTables complexTypes =
        accounts ? ComplexTypeTables{} : readComplexTypeTables(mdb, catalog);

    std::vector<RowTable> rowTables;
    const char* systemTable = accounts ? "MSysAccounts" : "MSysRelationships";
    std::optional<RowTable> rows = readRowTable(mdb, catalog, systemTable);
    if (rows) {
        rowTables.push_back(std::move(*rows));
    } else if (accounts) {
        throw UnreadableDatabase(systemTable);
    }
    if (!accounts) addSavedQueryRows(mdb, catalog, rowTables);

    out.start(formatOf(mdb), mdb->f->lang_id, static_cast<uint32_t>(catalog.size()));
    TableDefinitionReader definitions(mdb, complexTypes);
    for (CatalogRow& row : catalog) {
        // Only local tables have a definition; a linked table's Id is no page.
        if (!accounts && row.object.type == 1) {
            RawTable& table = definitions.read(row.definitionPage, row.columnProperties);
            // Lent to the object for its encoding, then given back so that
            // the next definition is read into the same room.
            row.object.table = std::move(table);
            out.object(row.object);
            table = std::move(*row.object.table);
            row.object.table.reset();
        } else {
            out.object(row.object);
        }
    }
    out.rowTables(rowTables);
    out.nameIndexOrder(nameOrder);
    out.finish();
}

bool isPipe(int fd) {
    struct stat st {};
    return ::fstat(fd, &st) == 0 && S_ISFIFO(st.st_mode);
}

// Tells the program which mechanisms the kernel did not offer, then closes
// the notice pipe for good. Run by hand, the reader has no such pipe.
void reportConfinement(const std::vector<std::string>& missing, bool noticePipe) {
    if (!noticePipe) return;
    std::string line;
    for (const std::string& mechanism : missing) line += (line.empty() ? "" : ", ") + mechanism;
    if (!line.empty()) writeWhole(kReaderNoticeFd, line + "\n");
    ::close(kReaderNoticeFd);
}

int exitStatusOf(crypt::CryptRefusal refusal) {
    switch (refusal) {
    case crypt::CryptRefusal::WrongPassword: return reader_exit::kWrongPassword;
    case crypt::CryptRefusal::Unsupported: return reader_exit::kUnsupportedEncryption;
    case crypt::CryptRefusal::Damaged: break;
    }
    return reader_exit::kRefusedEncryption;
}

}  // namespace

int main(int argc, char** argv) {
#ifdef SPECLORE_READER_PROBE
    const bool argumentsFit = argc == 4 || (argc == 5 && std::strcmp(argv[4], "unconfined") == 0);
#else
    const bool argumentsFit = argc == 3;
#endif
    if (!argumentsFit || (std::strcmp(argv[1], "database") != 0 && std::strcmp(argv[1], "accounts") != 0)) {
        std::fprintf(stderr, "usage: %s database|accounts <file>\n", argv[0]);
        return reader_exit::kUsage;
    }
    // An empty entry in MDBPATH makes mdb_open loop forever on a missing
    // file; the others would change how libmdb converts text or what it
    // prints.
    for (const char* variable : {"MDBPATH", "MDB_JET3_CHARSET", "MDBICONV", "MDBOPTS"}) {
        unsetenv(variable);
    }
    // The catalog and each table are built of many small pieces in a
    // short-lived process: keep the heap growing in large steps, never give
    // memory back, and let big blocks grow in place.
    mallopt(M_TOP_PAD, 16 << 20);
    mallopt(M_TRIM_THRESHOLD, 1 << 30);
    mallopt(M_MMAP_THRESHOLD, 32 << 20);
    // The program gives the reader its pipes and nothing else; run by hand,
    // it keeps no other descriptor either.
    close_range(kReaderNoticeFd + 1, ~0U, 0);

    std::optional<DatabaseFile> file;
    try {
        file.emplace(argv[2]);
        file->decryptWith(unlockDatabaseFile(file->descriptor()));
    } catch (const std::system_error&) {
        return reader_exit::kUnrecognised;
    } catch (const crypt::CryptFailure& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return exitStatusOf(e.refusal());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return reader_exit::kUnreadable;
    }
    MdbHandle* mdb = file->openWithLibmdb();
    if (!mdb) return reader_exit::kUnrecognised;
    // Loads the conversion modules, which confinement would keep out.
    useDatabaseCodePage(mdb);
    const bool noticePipe = isPipe(kReaderNoticeFd);
#ifdef SPECLORE_READER_PROBE
    if (argc == 4) reportConfinement(confineReader(file->descriptor()), noticePipe);
    if (std::strcmp(argv[3], "none") != 0) return tryForbiddenAct(argv[3], argv[2]);
#else
    reportConfinement(confineReader(file->descriptor()), noticePipe);
#endif

    int status = reader_exit::kOk;
    std::vector<CatalogRow> catalog;
    try {
        SnapshotEncoder out([](std::string_view bytes) { return writeWhole(STDOUT_FILENO, bytes); });
        writeSnapshot(mdb, std::strcmp(argv[1], "accounts") == 0, catalog, out);
    } catch (const SnapshotEncoder::SinkFailed&) {
        status = reader_exit::kUnreadable;
    } catch (const std::bad_alloc&) {
        status = reader_exit::kTooLarge;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        status = reader_exit::kUnreadable;
    }
    // Everything went out with plain writes; freeing the catalog piece by
    // piece would only cost the reader time as it ends.
    std::_Exit(status);
}
