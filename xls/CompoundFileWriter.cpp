// Writing a compound file (version 3, 512-byte sectors): streams of 4096
// bytes or more in ordinary sectors, smaller ones in the mini stream; the
// FAT first, then DIFAT, big streams, mini stream, MiniFAT and directory.
#include <algorithm>
#include <cstring>

#include "app/Invariant.h"
#include "xls/ByteIo.h"
#include "xls/CfbLayout.h"
#include "xls/CompoundFile.h"

namespace speclore::xls {

namespace {

using namespace cfb;
constexpr uint32_t kSectorSize = 512;
// Version 3: the header fills the first sector exactly.
static_assert(kSectorSize == kHeaderSize);
static_assert(1u << kSectorShift3 == kSectorSize);
static_assert(kSectorSize % dirEntry::kSize == 0);
static_assert(std::tuple_size_v<decltype(CfbEntry::directoryBytes)> == dirEntry::kSize);
constexpr uint8_t kRed = 0;
constexpr uint8_t kBlack = 1;

uint32_t sectorsFor(uint64_t bytes, uint32_t size) {
    return static_cast<uint32_t>((bytes + size - 1) / size);
}

char16_t upper(char16_t c) {
    if (c >= u'a' && c <= u'z') return static_cast<char16_t>(c - 32);
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return static_cast<char16_t>(c - 32);
    return c;
}

struct FlatEntry {
    const CfbEntry* source;
    uint32_t left = kNoStream, right = kNoStream, child = kNoStream;
    uint8_t colour = kBlack;
    uint32_t start = kEndOfChain;
    uint64_t size = 0;
};

class Writer {
public:
    Writer(const CfbEntry& root, const CfbEntry* replaced, std::string_view replacement)
        : replaced_(replaced), replacement_(replacement) {
        flatten(root);
    }

    CompoundFileImage write() {
        layOutStreams();
        CompoundFileImage image;
        assemble(image);
        return image;
    }

private:
    const CfbEntry* replaced_;
    std::string_view replacement_;
    std::vector<FlatEntry> entries_;
    std::vector<uint32_t> bigStreams_;  // entry ids
    std::string miniStream_;
    std::vector<uint32_t> miniFat_;

    // Gives every entry an id (root 0) and links each storage's children
    // into a balanced binary search tree in CFB name order.
    void flatten(const CfbEntry& root) {
        entries_.push_back({&root});
        std::vector<uint32_t> storages{0};
        while (!storages.empty()) {
            uint32_t parent = storages.back();
            storages.pop_back();
            const CfbEntry& storage = *entries_[parent].source;
            std::vector<uint32_t> ids;
            for (const auto& child : storage.children) {
                ids.push_back(static_cast<uint32_t>(entries_.size()));
                entries_.push_back({&child});
                if (child.type == CfbEntry::kStorage) storages.push_back(ids.back());
            }
            std::sort(ids.begin(), ids.end(), [&](uint32_t a, uint32_t b) {
                return cfbNameLess(entries_[a].source->name, entries_[b].source->name);
            });
            int depth = 0;
            measureDepth(ids.size(), 1, depth);
            entries_[parent].child = link(ids, 0, ids.size(), 1, depth);
        }
    }

    std::string_view dataOf(const CfbEntry* entry) const {
        return entry == replaced_ ? replacement_ : std::string_view(entry->data);
    }

    static void measureDepth(size_t count, int level, int& deepest) {
        if (count == 0) return;
        deepest = std::max(deepest, level);
        size_t middle = count / 2;
        measureDepth(middle, level + 1, deepest);
        measureDepth(count - middle - 1, level + 1, deepest);
    }

    // Middle-split trees have all their empty links on the last two levels,
    // so colouring the deepest level red (and the rest black) keeps every
    // path's black count equal.
    uint32_t link(const std::vector<uint32_t>& ids, size_t begin, size_t end, int level, int deepest) {
        if (begin >= end) return kNoStream;
        size_t middle = begin + (end - begin) / 2;
        FlatEntry& node = entries_[ids[middle]];
        node.colour = (level == deepest && level > 1) ? kRed : kBlack;
        uint32_t left = link(ids, begin, middle, level + 1, deepest);
        uint32_t right = link(ids, middle + 1, end, level + 1, deepest);
        entries_[ids[middle]].left = left;
        entries_[ids[middle]].right = right;
        return ids[middle];
    }

    void layOutStreams() {
        for (uint32_t id = 1; id < entries_.size(); ++id) {
            FlatEntry& e = entries_[id];
            if (e.source->type != CfbEntry::kStream) {
                e.start = 0;
                continue;
            }
            e.size = dataOf(e.source).size();
            if (e.size == 0) continue;
            if (e.size >= kMiniCutoff) {
                bigStreams_.push_back(id);
                continue;
            }
            uint32_t first = static_cast<uint32_t>(miniFat_.size());
            uint32_t count = sectorsFor(e.size, kMiniSectorSize);
            for (uint32_t i = 0; i < count; ++i)
                miniFat_.push_back(i + 1 < count ? first + i + 1 : kEndOfChain);
            e.start = first;
            miniStream_.append(dataOf(e.source));
            miniStream_.append(static_cast<size_t>(count) * kMiniSectorSize - e.size, '\0');
        }
        SPECLORE_INVARIANT(miniStream_.size() == miniFat_.size() * kMiniSectorSize);
    }

    void assemble(CompoundFileImage& image) {
        const uint32_t perSector = kSectorSize / 4;
        uint32_t dataSectors = 0;
        for (uint32_t id : bigStreams_) dataSectors += sectorsFor(entries_[id].size, kSectorSize);
        uint32_t miniStreamSectors = sectorsFor(miniStream_.size(), kSectorSize);
        uint32_t miniFatSectors = sectorsFor(miniFat_.size() * 4ull, kSectorSize);
        uint32_t dirSectors = sectorsFor(entries_.size() * uint64_t{dirEntry::kSize}, kSectorSize);
        uint32_t contentSectors = dataSectors + miniStreamSectors + miniFatSectors + dirSectors;

        uint32_t fatSectors = 1, difatSectors = 0;
        for (;; ++fatSectors) {
            difatSectors = fatSectors > kHeaderDifatEntries
                               ? sectorsFor(fatSectors - kHeaderDifatEntries, perSector - 1)
                               : 0;
            if (static_cast<uint64_t>(perSector) * fatSectors >= contentSectors + fatSectors + difatSectors)
                break;
        }
        std::vector<uint32_t> fat(static_cast<size_t>(fatSectors) * perSector, kFreeSect);
        uint32_t next = 0;
        for (uint32_t i = 0; i < fatSectors; ++i) fat[next++] = kFatSect;
        uint32_t firstDifat = difatSectors ? next : kEndOfChain;
        for (uint32_t i = 0; i < difatSectors; ++i) fat[next++] = kDifSect;
        auto chain = [&](uint32_t count) {
            uint32_t first = next;
            for (uint32_t i = 0; i < count; ++i, ++next) fat[next] = i + 1 < count ? next + 1 : kEndOfChain;
            return count ? first : kEndOfChain;
        };
        for (uint32_t id : bigStreams_)
            entries_[id].start = chain(sectorsFor(entries_[id].size, kSectorSize));
        entries_[0].start = chain(miniStreamSectors);
        entries_[0].size = miniStream_.size();
        uint32_t firstMiniFat = chain(miniFatSectors);
        uint32_t firstDir = chain(dirSectors);
        // The FAT was sized to hold every sector, its own and the DIFAT's.
        SPECLORE_INVARIANT(next == fatSectors + difatSectors + contentSectors && next <= fat.size());

        std::string& head = image.newBuffer();
        head.reserve((static_cast<size_t>(fatSectors) + difatSectors + 1) * kSectorSize);
        writeHeader(head, fatSectors, firstDir, firstMiniFat, miniFatSectors, firstDifat, difatSectors);
        for (uint32_t v : fat) putU32(head, v);
        writeDifat(head, fatSectors, difatSectors, firstDifat);
        SPECLORE_INVARIANT(head.size() == (1 + static_cast<size_t>(fatSectors) + difatSectors) * kSectorSize);
        image.add(head);
        static const char zeros[kSectorSize] = {};
        for (uint32_t id : bigStreams_) {
            std::string_view data = dataOf(entries_[id].source);
            image.add(data);
            image.add(std::string_view(zeros, (kSectorSize - data.size() % kSectorSize) % kSectorSize));
        }
        std::string& out = image.newBuffer();
        appendPadded(out, miniStream_);
        std::string miniFatBytes;
        for (uint32_t v : miniFat_) putU32(miniFatBytes, v);
        miniFatBytes.append(static_cast<size_t>(miniFatSectors) * kSectorSize - miniFatBytes.size(), '\xFF');
        out.append(miniFatBytes);
        writeDirectory(out, dirSectors);
        image.add(out);
    }

    static void appendPadded(std::string& out, std::string_view data) {
        out.append(data);
        out.append((kSectorSize - data.size() % kSectorSize) % kSectorSize, '\0');
    }

    static void writeHeader(std::string& out, uint32_t fatSectors, uint32_t firstDir, uint32_t firstMiniFat,
                            uint32_t miniFatSectors, uint32_t firstDifat, uint32_t difatSectors) {
        char h[kHeaderSize] = {};
        std::memcpy(h + header::kSignature, kSignature, sizeof kSignature);
        setU16(h + header::kMinorVersion, kMinorVersionValue);
        setU16(h + header::kMajorVersion, kMajorVersion3);
        setU16(h + header::kByteOrder, kByteOrderMark);
        setU16(h + header::kSectorShift, kSectorShift3);
        setU16(h + header::kMiniSectorShift, kMiniSectorShiftValue);
        setU32(h + header::kFatSectors, fatSectors);
        setU32(h + header::kFirstDirectorySector, firstDir);
        setU32(h + header::kMiniCutoff, kMiniCutoff);
        setU32(h + header::kFirstMiniFatSector, firstMiniFat);
        setU32(h + header::kMiniFatSectors, miniFatSectors);
        setU32(h + header::kFirstDifatSector, firstDifat);
        setU32(h + header::kDifatSectors, difatSectors);
        for (uint32_t i = 0; i < kHeaderDifatEntries; ++i)
            setU32(h + kHeaderDifatOffset + 4 * i, i < fatSectors ? i : kFreeSect);
        out.append(h, kHeaderSize);
        SPECLORE_INVARIANT(out.size() == kHeaderSize);
    }

    // FAT sectors are 0..fatSectors-1; those past the header's slots are
    // listed in the DIFAT sectors that follow them.
    static void writeDifat(std::string& out, uint32_t fatSectors, uint32_t difatSectors,
                           uint32_t firstDifat) {
        const uint32_t perDifat = kSectorSize / 4 - 1;
        uint32_t fatIndex = kHeaderDifatEntries;
        for (uint32_t d = 0; d < difatSectors; ++d) {
            for (uint32_t i = 0; i < perDifat; ++i, ++fatIndex)
                putU32(out, fatIndex < fatSectors ? fatIndex : kFreeSect);
            putU32(out, d + 1 < difatSectors ? firstDifat + d + 1 : kEndOfChain);
        }
    }

    void writeDirectory(std::string& out, uint32_t dirSectors) const {
        size_t begin = out.size();
        for (const FlatEntry& e : entries_) {
            char bytes[dirEntry::kSize];
            std::memcpy(bytes, e.source->directoryBytes.data(), dirEntry::kSize);
            // Names are rewritten from the entry's name so that entries built
            // in memory come out right too.
            std::memset(bytes, 0, dirEntry::kType);
            size_t units = std::min<size_t>(e.source->name.size(), dirEntry::kMaxNameBytes / 2 - 1);
            for (size_t i = 0; i < units; ++i) setU16(bytes + 2 * i, e.source->name[i]);
            setU16(bytes + dirEntry::kNameBytes, static_cast<uint16_t>((units + 1) * 2));
            bytes[dirEntry::kType] = static_cast<char>(e.source->type);
            bytes[dirEntry::kColour] = static_cast<char>(e.colour);
            setU32(bytes + dirEntry::kLeftSibling, e.left);
            setU32(bytes + dirEntry::kRightSibling, e.right);
            setU32(bytes + dirEntry::kChild, e.child);
            setU32(bytes + dirEntry::kStartSector, e.start);
            setU32(bytes + dirEntry::kStreamSizeLow, static_cast<uint32_t>(e.size));
            setU32(bytes + dirEntry::kStreamSizeHigh, 0);
            out.append(bytes, dirEntry::kSize);
        }
        while (out.size() - begin < static_cast<size_t>(dirSectors) * kSectorSize) {
            char unused[dirEntry::kSize] = {};
            setU32(unused + dirEntry::kLeftSibling, kNoStream);
            setU32(unused + dirEntry::kRightSibling, kNoStream);
            setU32(unused + dirEntry::kChild, kNoStream);
            out.append(unused, dirEntry::kSize);
        }
        SPECLORE_INVARIANT(out.size() - begin == static_cast<size_t>(dirSectors) * kSectorSize);
    }
};

}  // namespace

bool cfbNameLess(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) return a.size() < b.size();
    for (size_t i = 0; i < a.size(); ++i) {
        char16_t x = upper(a[i]), y = upper(b[i]);
        if (x != y) return x < y;
    }
    return false;
}

std::string CompoundFileImage::joined() const {
    size_t size = 0;
    for (std::string_view piece : pieces_) size += piece.size();
    std::string out;
    out.reserve(size);
    for (std::string_view piece : pieces_) out.append(piece);
    return out;
}

std::string CompoundFile::serialize() const { return Writer(root_, nullptr, {}).write().joined(); }

CompoundFileImage CompoundFile::imageReplacing(std::u16string_view rootStream, std::string_view data) const {
    return Writer(root_, findRootStream(rootStream), data).write();
}

}  // namespace speclore::xls
