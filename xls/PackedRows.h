// Rows of items kept in one array instead of one allocation a row. A row's
// items lie side by side in a slab of the array, which doubles when the
// row outgrows it: in place for the slab at the array's end (the row being
// written, as sheets are written row after row), else by moving the row to
// the end. A slab left behind stays unused; since every move doubles, they
// never take more room than the slabs in use.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <span>
#include <type_traits>

#include "app/Invariant.h"

namespace speclore::xls {

template <class Item>
class PackedRows {
    // Items are moved as bytes, and room is made without initializing it.
    static_assert(std::is_trivially_copyable_v<Item>);

public:
    // Where one row's items lie; a default Slab is an empty row.
    struct Slab {
        uint32_t first = 0;
        uint32_t count = 0;
        uint32_t capacity = 0;
    };

    // A row's first slab holds `firstCapacity` items.
    explicit PackedRows(uint32_t firstCapacity) : firstCapacity_(std::max<uint32_t>(1, firstCapacity)) {}

    std::span<Item> items(const Slab& slab) { return {items_.get() + slab.first, slab.count}; }
    std::span<const Item> items(const Slab& slab) const { return {items_.get() + slab.first, slab.count}; }

    // Puts `item` before the row's item at `at` (at == count: last); gives
    // the item in place, valid until the next insert into any row.
    Item& insert(Slab& slab, size_t at, const Item& item) {
        SPECLORE_INVARIANT(at <= slab.count);
        if (slab.count == slab.capacity) makeRoom(slab);
        if (at == slab.count) return items_[slab.first + slab.count++] = item;
        Item* row = items_.get() + slab.first;
        std::move_backward(row + at, row + slab.count, row + slab.count + 1);
        row[at] = item;
        ++slab.count;
        return row[at];
    }

    void erase(Slab& slab, size_t at) {
        SPECLORE_INVARIANT(at < slab.count);
        Item* row = items_.get() + slab.first;
        std::move(row + at + 1, row + slab.count, row + at);
        --slab.count;
    }

    // The items of every slab, used and left behind.
    size_t allocated() const { return end_; }

private:
    std::unique_ptr<Item[]> items_;  // slabs up to end_, then room for more
    size_t end_ = 0;
    size_t room_ = 0;
    uint32_t firstCapacity_;

    // Out of line: a slab fills only once in a while, and insert() stays
    // small enough to be inlined where it does not.
    [[gnu::noinline]] void makeRoom(Slab& slab) {
        const size_t capacity = slab.capacity == 0 ? firstCapacity_ : 2 * size_t{slab.capacity};
        const bool last = slab.capacity != 0 && slab.first + slab.capacity == end_;
        const size_t first = last ? slab.first : end_;
        SPECLORE_INVARIANT(first + capacity <= UINT32_MAX);
        // The array grows by doubling, not by every slab.
        if (first + capacity > room_) {
            const size_t room = std::max(first + capacity, 2 * room_);
            std::unique_ptr<Item[]> grown = std::make_unique_for_overwrite<Item[]>(room);
            if (end_ != 0) std::memcpy(grown.get(), items_.get(), end_ * sizeof(Item));
            items_ = std::move(grown);
            room_ = room;
        }
        if (!last && slab.count != 0)
            std::memcpy(items_.get() + first, items_.get() + slab.first, slab.count * sizeof(Item));
        end_ = first + capacity;
        slab.first = static_cast<uint32_t>(first);
        slab.capacity = static_cast<uint32_t>(capacity);
    }
};

}  // namespace speclore::xls
