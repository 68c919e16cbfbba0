#include "jet/Snapshot.h"
#include "jet/SnapshotEncoding.h"

namespace speclore::jet {

namespace {

class Writer {
public:
    void u8(uint8_t v) { out_.push_back(static_cast<char>(v)); }
    void u16(uint16_t v) { little(v, 2); }
    void u32(uint32_t v) { little(v, 4); }
    void i32(int32_t v) { little(static_cast<uint32_t>(v), 4); }
    void i64(int64_t v) { little(static_cast<uint64_t>(v), 8); }
    void text(const std::string& s) {
        u32(static_cast<uint32_t>(s.size()));
        out_ += s;
    }
    void optionalText(const std::optional<std::string>& s) {
        u8(s ? 1 : 0);
        if (s) text(*s);
    }
    void raw(std::string_view bytes) { out_ += bytes; }
    std::string take() { return std::move(out_); }

private:
    void little(uint64_t v, int bytes) {
        for (int i = 0; i < bytes; ++i) out_.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
    }
    std::string out_;
};

void writeTable(Writer& w, const RawTable& table) {
    w.u32(static_cast<uint32_t>(table.columns.size()));
    for (const RawColumn& c : table.columns) {
        w.text(c.name);
        w.u8(c.jetType);
        w.u8(c.flags);
        w.u16(c.length);
        w.u16(c.sortOrder);
        w.u8(c.extraFlags);
        w.text(c.complexTypeTable);
        w.optionalText(c.description);
    }
    w.u32(static_cast<uint32_t>(table.indexes.size()));
    for (const RawIndex& index : table.indexes) {
        w.text(index.name);
        w.u8(index.indexType);
        w.u8(index.flags);
        w.u8(static_cast<uint8_t>(index.columns.size()));
        for (const RawIndexColumn& c : index.columns) {
            w.u16(c.column);
            w.u8(c.ascending ? 1 : 0);
        }
    }
}

void writeRowTable(Writer& w, const RowTable& table) {
    w.text(table.name);
    w.u32(static_cast<uint32_t>(table.columns.size()));
    for (const std::string& column : table.columns) w.text(column);
    w.u32(static_cast<uint32_t>(table.rows.size()));
    for (const auto& row : table.rows) {
        for (const CellValue& cell : row) {
            if (auto* i = std::get_if<int64_t>(&cell)) {
                w.u8(snapshot_encoding::kIntegerCell);
                w.i64(*i);
            } else if (auto* s = std::get_if<std::string>(&cell)) {
                w.u8(snapshot_encoding::kTextCell);
                w.text(*s);
            } else {
                w.u8(snapshot_encoding::kNullCell);
            }
        }
    }
}

}  // namespace

std::string encodeSnapshot(const Snapshot& snapshot) {
    Writer w;
    w.raw(snapshot_encoding::kMagic);
    w.u8(static_cast<uint8_t>(snapshot.format));
    w.u16(snapshot.sortOrder);
    w.u32(static_cast<uint32_t>(snapshot.objects.size()));
    for (const CatalogObject& object : snapshot.objects) {
        w.i32(object.id);
        w.text(object.name);
        w.i32(object.type);
        w.i32(object.flags);
        w.optionalText(object.description);
        w.u8(object.table ? 1 : 0);
        if (object.table) writeTable(w, *object.table);
    }
    w.u32(static_cast<uint32_t>(snapshot.rowTables.size()));
    for (const RowTable& table : snapshot.rowTables) writeRowTable(w, table);
    w.u32(static_cast<uint32_t>(snapshot.nameIndexOrder.size()));
    for (uint32_t position : snapshot.nameIndexOrder) w.u32(position);
    return w.take();
}

}  // namespace speclore::jet
