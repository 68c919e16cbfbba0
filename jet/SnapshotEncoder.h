// The snapshot encoded part by part, in the order of its layout, so that the
// reader can send each table as soon as it has read it instead of keeping
// the whole database in memory. Full blocks go to the sink as they fill;
// without a sink the bytes stay for take().
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "jet/Snapshot.h"

namespace speclore::jet {

class SnapshotEncoder {
public:
    // False when the bytes could not be delivered.
    using Sink = std::function<bool(std::string_view)>;

    // Raised when the sink refuses a block.
    class SinkFailed : public std::runtime_error {
    public:
        SinkFailed() : std::runtime_error("snapshot not delivered") {}
    };

    explicit SnapshotEncoder(Sink sink = {});

    // In this order: the start, exactly `objectCount` objects, the row
    // tables, the name order, then finish().
    void start(SnapshotFormat format, uint16_t sortOrder, uint32_t objectCount);
    void object(const CatalogObject& object);
    void rowTables(const std::vector<RowTable>& tables);
    void nameIndexOrder(const std::vector<uint32_t>& order);
    // Hands the rest to the sink.
    void finish();
    // Everything encoded, when there is no sink.
    std::string take();

private:
    // Where the next `size` bytes go; the buffer grows as needed.
    char* room(size_t size) {
        if (buffer_.size() - used_ < size) grow(size);
        char* at = buffer_.data() + used_;
        used_ += size;
        return at;
    }
    void grow(size_t size);
    void u8(uint8_t v) { *room(1) = static_cast<char>(v); }
    void u16(uint16_t v);
    void u32(uint32_t v);
    void i64(int64_t v);
    void text(std::string_view s);
    void optionalText(const std::optional<std::string>& s);
    void table(const RawTable& table);
    void rowTable(const RowTable& table);
    void flushIfFull();

    Sink sink_;
    std::string buffer_;
    size_t used_ = 0;
};

}  // namespace speclore::jet
