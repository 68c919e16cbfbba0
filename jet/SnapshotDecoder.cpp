#include <algorithm>
#include <cstring>

#include "jet/Snapshot.h"
#include "jet/SnapshotEncoding.h"

namespace speclore::jet {

namespace {

// Jet allows at most 255 columns in a table.
constexpr uint32_t kMaxColumns = 255;

// Whether eight bytes from `at` are all ASCII.
bool asciiWord(const char* at) {
    uint64_t word;
    std::memcpy(&word, at, sizeof word);
    return (word & 0x8080808080808080u) == 0;
}

bool isValidUtf8(std::string_view s) {
    size_t i = 0;
    while (i < s.size()) {
        // Names are mostly ASCII: skip it a word at a time.
        if (s.size() - i >= 8 && asciiWord(s.data() + i)) {
            i += 8;
            continue;
        }
        auto c = static_cast<unsigned char>(s[i]);
        size_t extra;
        uint32_t min;
        if (c < 0x80) {
            ++i;
            continue;
        } else if ((c & 0xE0) == 0xC0) {
            extra = 1, min = 0x80;
        } else if ((c & 0xF0) == 0xE0) {
            extra = 2, min = 0x800;
        } else if ((c & 0xF8) == 0xF0) {
            extra = 3, min = 0x10000;
        } else {
            return false;
        }
        if (s.size() - i <= extra) return false;
        uint32_t cp = c & (0x3F >> extra);
        for (size_t k = 1; k <= extra; ++k) {
            auto cc = static_cast<unsigned char>(s[i + k]);
            if ((cc & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (cc & 0x3F);
        }
        if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
        i += extra + 1;
    }
    return true;
}

// Reads the bytes given whole, or those a source gives as they come: then
// only the part not yet decoded is kept.
class Reader {
public:
    explicit Reader(std::string_view bytes) : in_(bytes) {}
    explicit Reader(SnapshotSource& source) : source_(&source) {}

    uint8_t u8() { return static_cast<uint8_t>(little(1)); }
    uint16_t u16() { return static_cast<uint16_t>(little(2)); }
    uint32_t u32() { return static_cast<uint32_t>(little(4)); }
    int32_t i32() { return static_cast<int32_t>(u32()); }
    int64_t i64() { return static_cast<int64_t>(little(8)); }
    bool flag() {
        uint8_t v = u8();
        if (v > 1) fail("bad flag byte");
        return v == 1;
    }
    std::string text() {
        uint32_t size = u32();
        if (!have(size)) fail("string runs past the end");
        std::string_view s = in_.substr(pos_, size);
        if (!isValidUtf8(s)) fail("string is not UTF-8");
        pos_ += size;
        return std::string(s);
    }
    std::optional<std::string> optionalText() {
        if (!flag()) return std::nullopt;
        return text();
    }
    // A count of elements that each take at least one byte.
    uint32_t count(uint32_t limit = UINT32_MAX) {
        uint32_t n = u32();
        if (n > limit || (!source_ && n > remaining())) fail("count out of range");
        return n;
    }
    // Room to reserve for `n` elements of at least one byte each: no more
    // than the bytes at hand, so that a false count allocates nothing.
    size_t reservable(uint32_t n) const { return std::min<size_t>(n, remaining()); }
    void expect(std::string_view bytes) {
        if (!have(bytes.size()) || in_.substr(pos_, bytes.size()) != bytes) fail("not a snapshot");
        pos_ += bytes.size();
    }
    void expectEnd() {
        if (have(1)) fail("bytes after the end");
    }
    [[noreturn]] static void fail(const char* what) { throw MalformedSnapshot(what); }

private:
    size_t remaining() const { return in_.size() - pos_; }
    // Whether `bytes` more are there, drawing on the source while they are not.
    bool have(size_t bytes) {
        while (remaining() < bytes) {
            if (!source_) return false;
            buffer_.erase(0, pos_);
            pos_ = 0;
            const bool more = source_->more(buffer_);
            in_ = buffer_;
            if (!more) return remaining() >= bytes;
        }
        return true;
    }
    uint64_t little(size_t bytes) {
        if (!have(bytes)) fail("truncated");
        uint64_t v = 0;
        for (size_t i = 0; i < bytes; ++i) {
            v |= uint64_t{static_cast<unsigned char>(in_[pos_ + i])} << (8 * i);
        }
        pos_ += bytes;
        return v;
    }

    SnapshotSource* source_ = nullptr;
    std::string buffer_;
    std::string_view in_;
    size_t pos_ = 0;
};

RawTable readTable(Reader& r) {
    RawTable table;
    uint32_t columns = r.count(kMaxColumns);
    table.columns.reserve(r.reservable(columns));
    for (uint32_t i = 0; i < columns; ++i) {
        RawColumn& c = table.columns.emplace_back();
        c.name = r.text();
        c.jetType = r.u8();
        c.flags = r.u8();
        c.length = r.u16();
        c.sortOrder = r.u16();
        c.extraFlags = r.u8();
        c.complexTypeTable = r.text();
        c.description = r.optionalText();
    }
    uint32_t indexes = r.count();
    table.indexes.reserve(r.reservable(indexes));
    for (uint32_t i = 0; i < indexes; ++i) {
        RawIndex index;
        index.name = r.text();
        index.indexType = r.u8();
        index.flags = r.u8();
        uint8_t keyColumns = r.u8();
        if (keyColumns > snapshot_encoding::kMaxIndexColumns) Reader::fail("too many index columns");
        for (uint8_t k = 0; k < keyColumns; ++k) {
            RawIndexColumn c;
            c.column = r.u16();
            if (c.column >= table.columns.size()) Reader::fail("index column out of range");
            c.ascending = r.flag();
            index.columns.push_back(c);
        }
        table.indexes.push_back(std::move(index));
    }
    return table;
}

RowTable readRowTable(Reader& r) {
    RowTable table;
    table.name = r.text();
    uint32_t columns = r.count(kMaxColumns);
    for (uint32_t i = 0; i < columns; ++i) table.columns.push_back(r.text());
    uint32_t rows = r.count();
    if (rows > 0 && columns == 0) Reader::fail("rows without columns");
    table.rows.reserve(r.reservable(rows));
    for (uint32_t i = 0; i < rows; ++i) {
        std::vector<CellValue> row;
        row.reserve(columns);
        for (uint32_t k = 0; k < columns; ++k) {
            switch (r.u8()) {
            case snapshot_encoding::kNullCell: row.emplace_back(); break;
            case snapshot_encoding::kIntegerCell: row.emplace_back(r.i64()); break;
            case snapshot_encoding::kTextCell: row.emplace_back(r.text()); break;
            default: Reader::fail("bad cell tag");
            }
        }
        table.rows.push_back(std::move(row));
    }
    return table;
}

// Either nothing or every object's position exactly once.
std::vector<uint32_t> readNameIndexOrder(Reader& r, size_t objects) {
    uint32_t size = r.count();
    if (size != 0 && size != objects) Reader::fail("name order does not cover the objects");
    std::vector<uint32_t> order;
    order.reserve(r.reservable(size));
    std::vector<bool> seen(size, false);
    for (uint32_t i = 0; i < size; ++i) {
        uint32_t position = r.u32();
        if (position >= size || seen[position]) Reader::fail("name order position out of range");
        seen[position] = true;
        order.push_back(position);
    }
    return order;
}

}  // namespace

const RowTable* Snapshot::rowTable(std::string_view name) const {
    for (const RowTable& table : rowTables) {
        if (table.name == name) return &table;
    }
    return nullptr;
}

namespace {

Snapshot decode(Reader& r, const ObjectTaker& takeFromObject) {
    r.expect(snapshot_encoding::kMagic);
    Snapshot snapshot;
    uint8_t format = r.u8();
    if (format > static_cast<uint8_t>(SnapshotFormat::Ace)) Reader::fail("unknown format");
    snapshot.format = static_cast<SnapshotFormat>(format);
    snapshot.sortOrder = r.u16();
    uint32_t objects = r.count();
    snapshot.objects.reserve(r.reservable(objects));
    for (uint32_t i = 0; i < objects; ++i) {
        CatalogObject object;
        object.id = r.i32();
        object.name = r.text();
        object.type = r.i32();
        object.flags = r.i32();
        object.description = r.optionalText();
        if (r.flag()) object.table = readTable(r);
        if (takeFromObject) takeFromObject(snapshot, i, object);
        snapshot.objects.push_back(std::move(object));
    }
    uint32_t tables = r.count();
    for (uint32_t i = 0; i < tables; ++i) snapshot.rowTables.push_back(readRowTable(r));
    snapshot.nameIndexOrder = readNameIndexOrder(r, snapshot.objects.size());
    r.expectEnd();
    return snapshot;
}

}  // namespace

Snapshot decodeSnapshot(std::string_view bytes) {
    Reader r(bytes);
    return decode(r, {});
}

Snapshot decodeSnapshot(SnapshotSource& source, const ObjectTaker& takeFromObject) {
    Reader r(source);
    return decode(r, takeFromObject);
}

}  // namespace speclore::jet
