#include "jet/reader/NameIndex.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <set>
#include <stdexcept>
#include <string>

namespace speclore::jet::reader {

namespace {

// MSysObjects' definition always starts on page 2; its index pages name it.
constexpr uint32_t kCatalogDefinitionPage = 2;
constexpr const char* kNameIndex = "ParentIdName";

constexpr uint8_t kIntermediatePage = 0x03;
constexpr uint8_t kLeafPage = 0x04;
// Every entry ends with the row it stands for: its data page (3 bytes,
// most significant first) and its slot. An intermediate entry adds its
// child page (4 bytes, most significant first) after that.
constexpr size_t kRowPointer = 4;
constexpr size_t kChildPointer = 4;
// A catalog index of any real database is a few levels deep at most.
constexpr int kMaxDepth = 16;

// Where an index page keeps its parts: the next page at the same level, the
// length of the prefix shared by all entries, the bit mask that marks where
// each entry ends, and the first entry (whose start the mask leaves out).
struct IndexPageLayout {
    size_t tablePage, nextPage, prefixLength, entryMask, firstEntry;
};
constexpr IndexPageLayout kJet3Layout{4, 12, 20, 0x16, 0xF8};
constexpr IndexPageLayout kJet4Layout{4, 16, 24, 0x1B, 0x1E0};

class DamagedIndex : public std::runtime_error {
public:
    DamagedIndex() : std::runtime_error("damaged name index") {}
};

using Bytes = std::vector<uint8_t>;

uint32_t littleEndian32(const Bytes& bytes, size_t at) {
    return static_cast<uint32_t>(bytes[at]) | static_cast<uint32_t>(bytes[at + 1]) << 8 |
           static_cast<uint32_t>(bytes[at + 2]) << 16 | static_cast<uint32_t>(bytes[at + 3]) << 24;
}

uint32_t bigEndian(const Bytes& bytes, size_t at, size_t size) {
    uint32_t value = 0;
    for (size_t i = 0; i < size; ++i) value = value << 8 | bytes[at + i];
    return value;
}

class IndexPages {
public:
    explicit IndexPages(MdbHandle* mdb)
        : mdb_(mdb),
          layout_(mdb->f->jet_version == MDB_VER_JET3 ? kJet3Layout : kJet4Layout),
          pageSize_(static_cast<size_t>(mdb->fmt->pg_size)) {}

    // An index page of the catalog: one of the two index page types,
    // belonging to MSysObjects.
    Bytes read(uint32_t page) const {
        if (page == 0 || mdb_read_pg(mdb_, page) != static_cast<ssize_t>(pageSize_)) throw DamagedIndex();
        Bytes bytes(mdb_->pg_buf, mdb_->pg_buf + pageSize_);
        if (bytes[0] != kIntermediatePage && bytes[0] != kLeafPage) throw DamagedIndex();
        if (littleEndian32(bytes, layout_.tablePage) != kCatalogDefinitionPage) throw DamagedIndex();
        return bytes;
    }

    uint32_t nextPage(const Bytes& page) const { return littleEndian32(page, layout_.nextPage); }

    // The page's entries in order, each whole: all but the first are
    // stored without the prefix they share with it.
    std::vector<Bytes> entries(const Bytes& page) const {
        std::vector<size_t> ends;
        for (size_t at = layout_.entryMask; at < layout_.firstEntry; ++at) {
            for (size_t bit = 0; bit < 8; ++bit) {
                if (page[at] & (1u << bit))
                    ends.push_back(layout_.firstEntry + 8 * (at - layout_.entryMask) + bit);
            }
        }
        std::vector<Bytes> entries;
        size_t start = layout_.firstEntry;
        const size_t prefix = size_t{page[layout_.prefixLength]} | size_t{page[layout_.prefixLength + 1]}
                                                                       << 8;
        for (size_t end : ends) {
            if (end <= start || end > pageSize_) throw DamagedIndex();
            Bytes entry;
            if (!entries.empty()) {
                if (prefix > entries.front().size()) throw DamagedIndex();
                entry.assign(entries.front().begin(), entries.front().begin() + static_cast<long>(prefix));
            }
            entry.insert(entry.end(), page.begin() + static_cast<long>(start),
                         page.begin() + static_cast<long>(end));
            entries.push_back(std::move(entry));
            start = end;
        }
        return entries;
    }

private:
    MdbHandle* mdb_;
    IndexPageLayout layout_;
    size_t pageSize_;
};

struct TableDefFree {
    void operator()(MdbTableDef* table) const { mdb_free_tabledef(table); }
};

uint32_t nameIndexRoot(MdbHandle* mdb) {
    MdbCatalogEntry entry;
    std::memset(&entry, 0, sizeof entry);
    entry.mdb = mdb;
    entry.object_type = MDB_TABLE;
    entry.table_pg = kCatalogDefinitionPage;
    std::snprintf(entry.object_name, sizeof entry.object_name, "%s", "MSysObjects");
    std::unique_ptr<MdbTableDef, TableDefFree> table(mdb_read_table(&entry));
    if (!table || !mdb_read_columns(table.get())) throw DamagedIndex();
    // libmdb 1.0 returns nothing here even when it has read the indexes.
    mdb_read_indices(table.get());
    if (!table->indices) throw DamagedIndex();
    for (guint i = 0; i < table->indices->len; ++i) {
        auto* index = static_cast<MdbIndex*>(g_ptr_array_index(table->indices, i));
        if (std::strcmp(index->name, kNameIndex) == 0) return index->first_pg;
    }
    throw DamagedIndex();
}

// The rows the leaf pages point at, from the leftmost leaf along the chain
// of next pages, which also reaches leaves not yet linked into the tree
// above. Stops with DamagedIndex after more than `most` rows.
std::vector<RowLocation> leafRows(const IndexPages& pages, uint32_t root, size_t most) {
    uint32_t page = root;
    Bytes bytes = pages.read(page);
    for (int depth = 0; bytes[0] == kIntermediatePage; ++depth) {
        std::vector<Bytes> entries = pages.entries(bytes);
        if (depth == kMaxDepth || entries.empty() || entries.front().size() <= kRowPointer + kChildPointer) {
            throw DamagedIndex();
        }
        const Bytes& first = entries.front();
        page = bigEndian(first, first.size() - kChildPointer, kChildPointer);
        bytes = pages.read(page);
    }
    std::vector<RowLocation> rows;
    std::set<uint32_t> visited;
    while (true) {
        if (bytes[0] != kLeafPage || !visited.insert(page).second) throw DamagedIndex();
        for (const Bytes& entry : pages.entries(bytes)) {
            if (entry.size() <= kRowPointer || rows.size() == most) throw DamagedIndex();
            const size_t pointer = entry.size() - kRowPointer;
            rows.push_back({bigEndian(entry, pointer, 3), entry[pointer + 3]});
        }
        page = pages.nextPage(bytes);
        if (page == 0) return rows;
        bytes = pages.read(page);
    }
}

uint64_t key(RowLocation location) { return uint64_t{location.page} << 16 | location.row; }

constexpr uint8_t kDataPage = 0x01;
// A slot's offset carries these flags: the row moved to another page and
// only its new place is stored here, or the row was deleted.
constexpr uint16_t kMovedRow = 0x4000;
constexpr uint16_t kDeletedRow = 0x8000;
constexpr uint16_t kRowOffset = 0x1FFF;
// A row grows past its page only once or twice in practice.
constexpr int kMostMoves = 8;

// Where the row an index entry points at really lies: an index keeps
// pointing at a row's first slot after the row has moved to another page,
// where libmdb reads it.
RowLocation followMoves(MdbHandle* mdb, RowLocation location) {
    const size_t rowCountAt = mdb->f->jet_version == MDB_VER_JET3 ? 8 : 12;
    const auto pageSize = static_cast<size_t>(mdb->fmt->pg_size);
    for (int move = 0; move < kMostMoves; ++move) {
        if (mdb_read_pg(mdb, location.page) != static_cast<ssize_t>(pageSize)) throw DamagedIndex();
        const unsigned char* page = mdb->pg_buf;
        const size_t rows = size_t{page[rowCountAt]} | size_t{page[rowCountAt + 1]} << 8;
        const size_t slot = rowCountAt + 2 + 2 * size_t{location.row};
        if (page[0] != kDataPage || location.row >= rows || slot + 2 > pageSize) throw DamagedIndex();
        const uint16_t offset = static_cast<uint16_t>(page[slot] | page[slot + 1] << 8);
        if ((offset & kMovedRow) == 0 || (offset & kDeletedRow) != 0) return location;
        const size_t at = offset & kRowOffset;
        if (at + 4 > pageSize) throw DamagedIndex();
        location = {static_cast<uint32_t>(page[at + 1] | page[at + 2] << 8 | page[at + 3] << 16), page[at]};
    }
    throw DamagedIndex();
}

}  // namespace

std::vector<uint32_t> nameIndexOrder(MdbHandle* mdb, const std::vector<CatalogRow>& catalog) {
    try {
        // Each row's position in the catalog by where it lies, sorted for
        // lookup; two rows in one place make the index unusable.
        std::vector<std::pair<uint64_t, uint32_t>> positions;
        positions.reserve(catalog.size());
        for (uint32_t i = 0; i < catalog.size(); ++i) positions.emplace_back(key(catalog[i].location), i);
        std::sort(positions.begin(), positions.end());
        const auto sameKey = [](const auto& a, const auto& b) { return a.first == b.first; };
        if (std::adjacent_find(positions.begin(), positions.end(), sameKey) != positions.end()) {
            throw DamagedIndex();
        }
        const auto positionOf = [&](RowLocation row) -> const std::pair<uint64_t, uint32_t>* {
            const uint64_t wanted = key(row);
            auto found = std::lower_bound(positions.begin(), positions.end(), wanted,
                                          [](const auto& entry, uint64_t k) { return entry.first < k; });
            return found != positions.end() && found->first == wanted ? &*found : nullptr;
        };
        const IndexPages pages(mdb);
        std::vector<uint32_t> order;
        order.reserve(catalog.size());
        std::vector<bool> listed(catalog.size(), false);
        for (RowLocation row : leafRows(pages, nameIndexRoot(mdb), catalog.size())) {
            const auto* found = positionOf(row);
            if (!found) found = positionOf(followMoves(mdb, row));
            if (!found || listed[found->second]) throw DamagedIndex();
            listed[found->second] = true;
            order.push_back(found->second);
        }
        if (order.size() != catalog.size()) throw DamagedIndex();
        return order;
    } catch (const DamagedIndex&) {
        return {};
    }
}

}  // namespace speclore::jet::reader
