// Rows of items kept in a few large chunks instead of one allocation a
// row. A row's items lie side by side in a slab of a chunk, which doubles
// when the row outgrows it: in place for the slab at the end (the row being
// written, as sheets are written row after row), else by moving the row to
// the end. A slab left behind stays unused; since every move doubles, they
// never take more room than the slabs in use. Chunks are never moved or
// copied: the storage grows by adding one.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <span>
#include <type_traits>
#include <vector>

#include "app/Invariant.h"

namespace speclore::xls {

template <class Item>
class PackedRows {
    // Items are moved as bytes, and room is made without initializing it.
    static_assert(std::is_trivially_copyable_v<Item>);
    static constexpr uint32_t kChunkShift = 16;
    static constexpr uint32_t kChunkItems = 1u << kChunkShift;

public:
    // Where one row's items lie; a default Slab is an empty row.
    struct Slab {
        uint32_t first = 0;
        uint32_t count = 0;
        uint32_t capacity = 0;
    };

    // A row's first slab holds `firstCapacity` items; no row may hold more
    // than a chunk's items.
    explicit PackedRows(uint32_t firstCapacity)
        : firstCapacity_(std::clamp<uint32_t>(firstCapacity, 1, kChunkItems)) {
        // The first chunk is there from the start, for empty rows to point into.
        chunks_.push_back(std::make_unique_for_overwrite<Item[]>(kChunkItems));
    }

    std::span<Item> items(const Slab& slab) { return {itemAt(slab.first), slab.count}; }
    std::span<const Item> items(const Slab& slab) const { return {itemAt(slab.first), slab.count}; }

    // Puts `item` before the row's item at `at` (at == count: last); gives
    // the item in place, valid until the next insert into any row.
    Item& insert(Slab& slab, size_t at, const Item& item) {
        SPECLORE_INVARIANT(at <= slab.count);
        if (slab.count == slab.capacity) makeRoom(slab);
        Item* row = itemAt(slab.first);
        if (at == slab.count) return row[slab.count++] = item;
        std::move_backward(row + at, row + slab.count, row + slab.count + 1);
        row[at] = item;
        ++slab.count;
        return row[at];
    }

    void erase(Slab& slab, size_t at) {
        SPECLORE_INVARIANT(at < slab.count);
        Item* row = itemAt(slab.first);
        std::move(row + at + 1, row + slab.count, row + at);
        --slab.count;
    }

    // The items of every slab, used and left behind, and of chunk ends
    // left unused.
    size_t allocated() const { return end_; }

private:
    std::vector<std::unique_ptr<Item[]>> chunks_;
    size_t end_ = 0;  // where the next slab goes, counted across chunks
    uint32_t firstCapacity_;

    Item* itemAt(size_t index) const {
        return chunks_[index >> kChunkShift].get() + (index & (kChunkItems - 1));
    }

    // Out of line: a slab fills only once in a while, and insert() stays
    // small enough to be inlined where it does not.
    [[gnu::noinline]] void makeRoom(Slab& slab) {
        const size_t capacity = slab.capacity == 0 ? firstCapacity_ : 2 * size_t{slab.capacity};
        SPECLORE_INVARIANT(capacity <= kChunkItems);
        const size_t offset = slab.first & (kChunkItems - 1);
        const bool growsInPlace =
            slab.capacity != 0 && slab.first + slab.capacity == end_ && offset + capacity <= kChunkItems;
        size_t first = growsInPlace ? slab.first : end_;
        // A slab never straddles two chunks: the rest of this one stays unused.
        if ((first & (kChunkItems - 1)) + capacity > kChunkItems) first = (first | (kChunkItems - 1)) + 1;
        SPECLORE_INVARIANT(first + capacity <= UINT32_MAX);
        while (chunks_.size() * kChunkItems < first + capacity)
            chunks_.push_back(std::make_unique_for_overwrite<Item[]>(kChunkItems));
        if (!growsInPlace && slab.count != 0)
            std::memcpy(itemAt(first), itemAt(slab.first), slab.count * sizeof(Item));
        end_ = first + capacity;
        slab.first = static_cast<uint32_t>(first);
        slab.capacity = static_cast<uint32_t>(capacity);
    }
};

}  // namespace speclore::xls
