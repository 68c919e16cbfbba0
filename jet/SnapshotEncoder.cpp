#include "jet/SnapshotEncoder.h"

#include <algorithm>
#include <cstring>

#include "jet/SnapshotEncoding.h"

namespace speclore::jet {

namespace {

// Large enough that a pipe takes each block in a few writes, small enough
// that the reader's memory stays low.
constexpr size_t kBlockSize = 256 * 1024;

// Each writes at `at` and returns the end.
char* putU8(char* at, uint8_t v) {
    *at = static_cast<char>(v);
    return at + 1;
}

char* putU16(char* at, uint16_t v) {
    at[0] = static_cast<char>(v & 0xFF);
    at[1] = static_cast<char>(v >> 8);
    return at + 2;
}

char* putU32(char* at, uint32_t v) {
    at[0] = static_cast<char>(v & 0xFF);
    at[1] = static_cast<char>(v >> 8 & 0xFF);
    at[2] = static_cast<char>(v >> 16 & 0xFF);
    at[3] = static_cast<char>(v >> 24);
    return at + 4;
}

char* putText(char* at, std::string_view s) {
    at = putU32(at, static_cast<uint32_t>(s.size()));
    if (!s.empty()) std::memcpy(at, s.data(), s.size());
    return at + s.size();
}

}  // namespace

SnapshotEncoder::SnapshotEncoder(Sink sink) : sink_(std::move(sink)) {}

void SnapshotEncoder::grow(size_t size) {
    buffer_.resize(std::max({2 * buffer_.size(), used_ + size, kBlockSize + kBlockSize / 4}));
}

void SnapshotEncoder::u16(uint16_t v) { putU16(room(2), v); }

void SnapshotEncoder::u32(uint32_t v) { putU32(room(4), v); }

void SnapshotEncoder::i64(int64_t v) {
    const auto bits = static_cast<uint64_t>(v);
    u32(static_cast<uint32_t>(bits & 0xFFFFFFFF));
    u32(static_cast<uint32_t>(bits >> 32));
}

void SnapshotEncoder::text(std::string_view s) { putText(room(4 + s.size()), s); }

void SnapshotEncoder::optionalText(const std::optional<std::string>& s) {
    u8(s ? 1 : 0);
    if (s) text(*s);
}

void SnapshotEncoder::start(SnapshotFormat format, uint16_t sortOrder, uint32_t objectCount) {
    std::memcpy(room(snapshot_encoding::kMagic.size()), snapshot_encoding::kMagic.data(),
                snapshot_encoding::kMagic.size());
    u8(static_cast<uint8_t>(format));
    u16(sortOrder);
    u32(objectCount);
}

void SnapshotEncoder::object(const CatalogObject& object) {
    u32(static_cast<uint32_t>(object.id));
    text(object.name);
    u32(static_cast<uint32_t>(object.type));
    u32(static_cast<uint32_t>(object.flags));
    optionalText(object.description);
    u8(object.table ? 1 : 0);
    if (object.table) table(*object.table);
    flushIfFull();
}

void SnapshotEncoder::table(const RawTable& table) {
    u32(static_cast<uint32_t>(table.columns.size()));
    for (const RawColumn& c : table.columns) {
        // A column is most of a snapshot: room for all of it at once.
        const size_t description = c.description ? 4 + c.description->size() : 0;
        char* at = room(4 + c.name.size() + 7 + 4 + c.complexTypeTable.size() + 1 + description);
        at = putText(at, c.name);
        at = putU8(at, c.jetType);
        at = putU8(at, c.flags);
        at = putU16(at, c.length);
        at = putU16(at, c.sortOrder);
        at = putU8(at, c.extraFlags);
        at = putText(at, c.complexTypeTable);
        at = putU8(at, c.description ? 1 : 0);
        if (c.description) putText(at, *c.description);
    }
    u32(static_cast<uint32_t>(table.indexes.size()));
    for (const RawIndex& index : table.indexes) {
        text(index.name);
        u8(index.indexType);
        u8(index.flags);
        u8(static_cast<uint8_t>(index.columns.size()));
        for (const RawIndexColumn& c : index.columns) {
            u16(c.column);
            u8(c.ascending ? 1 : 0);
        }
    }
}

void SnapshotEncoder::rowTables(const std::vector<RowTable>& tables) {
    u32(static_cast<uint32_t>(tables.size()));
    for (const RowTable& table : tables) rowTable(table);
}

void SnapshotEncoder::rowTable(const RowTable& table) {
    text(table.name);
    u32(static_cast<uint32_t>(table.columns.size()));
    for (const std::string& column : table.columns) text(column);
    u32(static_cast<uint32_t>(table.rows.size()));
    for (const auto& row : table.rows) {
        for (const CellValue& cell : row) {
            if (auto* i = std::get_if<int64_t>(&cell)) {
                u8(snapshot_encoding::kIntegerCell);
                i64(*i);
            } else if (auto* s = std::get_if<std::string>(&cell)) {
                u8(snapshot_encoding::kTextCell);
                text(*s);
            } else {
                u8(snapshot_encoding::kNullCell);
            }
        }
        flushIfFull();
    }
}

void SnapshotEncoder::nameIndexOrder(const std::vector<uint32_t>& order) {
    u32(static_cast<uint32_t>(order.size()));
    for (uint32_t position : order) u32(position);
}

void SnapshotEncoder::flushIfFull() {
    if (sink_ && used_ >= kBlockSize) finish();
}

void SnapshotEncoder::finish() {
    if (!sink_ || used_ == 0) return;
    if (!sink_(std::string_view(buffer_.data(), used_))) throw SinkFailed();
    used_ = 0;
}

std::string SnapshotEncoder::take() {
    buffer_.resize(used_);
    used_ = 0;
    return std::move(buffer_);
}

std::string encodeSnapshot(const Snapshot& snapshot) {
    SnapshotEncoder encoder;
    encoder.start(snapshot.format, snapshot.sortOrder, static_cast<uint32_t>(snapshot.objects.size()));
    for (const CatalogObject& object : snapshot.objects) encoder.object(object);
    encoder.rowTables(snapshot.rowTables);
    encoder.nameIndexOrder(snapshot.nameIndexOrder);
    return encoder.take();
}

}  // namespace speclore::jet
