// Rows of items kept in one array instead of one allocation a row. A row's
// items lie side by side in a slab of the array, which doubles when the
// row outgrows it: in place for the slab at the array's end (the row being
// written, as sheets are written row after row), else by moving the row to
// the end. A slab left behind stays unused; since every move doubles, they
// never take more room than the slabs in use.
#pragma once

#include <algorithm>
#include <cstdint>
#include <span>
#include <vector>

#include "app/Invariant.h"

namespace speclore::xls {

template <class Item>
class PackedRows {
public:
    // Where one row's items lie; a default Slab is an empty row.
    struct Slab {
        uint32_t first = 0;
        uint32_t count = 0;
        uint32_t capacity = 0;
    };

    // A row's first slab holds `firstCapacity` items.
    explicit PackedRows(uint32_t firstCapacity) : firstCapacity_(std::max<uint32_t>(1, firstCapacity)) {}

    std::span<Item> items(const Slab& slab) { return {items_.data() + slab.first, slab.count}; }
    std::span<const Item> items(const Slab& slab) const { return {items_.data() + slab.first, slab.count}; }

    // Puts `item` before the row's item at `at` (at == count: last); gives
    // the item in place, valid until the next insert into any row.
    Item& insert(Slab& slab, size_t at, const Item& item) {
        SPECLORE_INVARIANT(at <= slab.count);
        if (slab.count == slab.capacity) makeRoom(slab);
        if (at == slab.count) return items_[slab.first + slab.count++] = item;
        Item* row = items_.data() + slab.first;
        std::move_backward(row + at, row + slab.count, row + slab.count + 1);
        row[at] = item;
        ++slab.count;
        return row[at];
    }

    void erase(Slab& slab, size_t at) {
        SPECLORE_INVARIANT(at < slab.count);
        Item* row = items_.data() + slab.first;
        std::move(row + at + 1, row + slab.count, row + at);
        --slab.count;
    }

    // The items of every slab, used and left behind.
    size_t allocated() const { return end_; }

private:
    std::vector<Item> items_;  // slabs up to end_, then room for more
    size_t end_ = 0;
    uint32_t firstCapacity_;

    void makeRoom(Slab& slab) {
        const size_t capacity = slab.capacity == 0 ? firstCapacity_ : 2 * size_t{slab.capacity};
        const bool last = slab.capacity != 0 && slab.first + slab.capacity == end_;
        const size_t first = last ? slab.first : end_;
        SPECLORE_INVARIANT(first + capacity <= UINT32_MAX);
        end_ = first + capacity;
        // The array grows by doubling, not by every slab.
        if (end_ > items_.size()) items_.resize(std::max(end_, 2 * items_.size()));
        if (!last)
            std::copy_n(items_.begin() + slab.first, slab.count, items_.begin() + static_cast<long>(first));
        slab.first = static_cast<uint32_t>(first);
        slab.capacity = static_cast<uint32_t>(capacity);
    }
};

}  // namespace speclore::xls
