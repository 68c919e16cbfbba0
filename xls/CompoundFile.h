// An OLE2 compound file held in memory: the tree of storages and streams
// with every stream's bytes. Reading accepts version 3 and 4 files and
// checks every chain; writing always produces a fresh version 3 file in
// which each entry keeps its name, CLSID, state bits and times.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

namespace speclore::xls {

struct CfbEntry {
    static constexpr uint8_t kStorage = 1;
    static constexpr uint8_t kStream = 2;
    static constexpr uint8_t kRoot = 5;

    std::u16string name;
    uint8_t type = kStream;
    // The directory entry as read: the source of CLSID, state bits and times.
    std::array<char, 128> directoryBytes{};
    std::string data;                // streams only
    std::vector<CfbEntry> children;  // storages and the root only
};

// A compound file laid out for writing: its bytes as pieces in file order,
// views into buffers the image owns and into the streams' own data (which
// must outlive the image), so that big streams are never copied.
class CompoundFileImage {
public:
    const std::vector<std::string_view>& pieces() const { return pieces_; }
    std::string joined() const;

    std::string& newBuffer() { return buffers_.emplace_back(); }
    void add(std::string_view piece) {
        if (!piece.empty()) pieces_.push_back(piece);
    }

private:
    std::deque<std::string> buffers_;
    std::vector<std::string_view> pieces_;
};

class CompoundFile {
public:
    // Raises error 1004 when the bytes are no intact compound file.
    static CompoundFile parse(std::string_view bytes);

    // The whole file in version 3 layout.
    std::string serialize() const;
    // The file with the data of one stream below the root replaced.
    CompoundFileImage imageReplacing(std::u16string_view rootStream, std::string_view data) const;

    CfbEntry& root() { return root_; }
    const CfbEntry& root() const { return root_; }

    // A stream directly below the root, or nullptr.
    CfbEntry* findRootStream(std::u16string_view name);
    const CfbEntry* findRootStream(std::u16string_view name) const;

private:
    CfbEntry root_;
};

// CFB's order of sibling names: shorter first, then by upper-cased code units.
bool cfbNameLess(std::u16string_view a, std::u16string_view b);

}  // namespace speclore::xls
