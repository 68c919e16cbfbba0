// A buffer of a size known when it is made, kept in place when small and on
// the heap only when larger: range operations run once per block of a sheet,
// and most of their buffers fit in a few dozen elements.
#pragma once

#include <array>
#include <cstddef>
#include <span>
#include <vector>

namespace speclore::workbook {

template <class T, size_t InPlace>
class ScratchBuffer {
public:
    explicit ScratchBuffer(size_t size) {
        if (size <= InPlace) {
            view_ = std::span<T>(inPlace_).first(size);
        } else {
            onHeap_.resize(size);
            view_ = onHeap_;
        }
    }
    ScratchBuffer(const ScratchBuffer&) = delete;
    ScratchBuffer& operator=(const ScratchBuffer&) = delete;

    std::span<T> span() { return view_; }
    T& operator[](size_t i) { return view_[i]; }
    T* begin() { return view_.data(); }
    T* end() { return view_.data() + view_.size(); }

private:
    std::array<T, InPlace> inPlace_;
    std::vector<T> onHeap_;
    std::span<T> view_;
};

}  // namespace speclore::workbook
