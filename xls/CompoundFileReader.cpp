// Reading a compound file. Every sector number, chain and link is checked
// against the file's size, so damaged or hostile files raise an error
// instead of reading out of bounds or looping.
#include <algorithm>
#include <cstring>
#include <utility>

#include "workbook/WorkbookError.h"
#include "xls/ByteIo.h"
#include "xls/CfbLayout.h"
#include "xls/CompoundFile.h"

namespace speclore::xls {

namespace {

using namespace cfb;

class Reader {
public:
    explicit Reader(std::string_view bytes) : bytes_(bytes) {}

    CfbEntry read() {
        readHeader();
        readFat();
        readDirectory();
        readMiniStream();
        return buildTree();
    }

private:
    std::string_view bytes_;
    uint32_t sectorSize_ = 512;
    uint64_t sectorCount_ = 0;
    uint32_t miniCutoff_ = kMiniCutoff;
    uint32_t firstDirSector_ = 0;
    uint32_t firstMiniFatSector_ = kEndOfChain;
    uint32_t fatSectorCount_ = 0;
    uint32_t firstDifatSector_ = kEndOfChain;
    uint32_t difatSectorCount_ = 0;
    bool version4_ = false;
    std::vector<uint32_t> fat_;
    std::vector<uint32_t> miniFat_;
    std::string directory_;
    std::string miniStream_;

    const char* sector(uint32_t index) const {
        return bytes_.data() + (static_cast<uint64_t>(index) + 1) * sectorSize_;
    }

    // The bytes of a sector; a last sector cut short by the end of the file
    // is read as if padded with zeros.
    void appendSector(std::string& out, uint32_t index) const {
        uint64_t start = (static_cast<uint64_t>(index) + 1) * sectorSize_;
        uint64_t available = std::min<uint64_t>(sectorSize_, bytes_.size() - start);
        out.append(bytes_.data() + start, available);
        out.append(sectorSize_ - available, '\0');
    }

    void readHeader() {
        if (bytes_.size() < kHeaderSize || std::memcmp(bytes_.data(), kSignature, 8) != 0)
            workbook::throwUnreadable("OLE2 複合ファイルではありません");
        const char* h = bytes_.data();
        uint16_t major = getU16(h + 0x1A);
        uint16_t byteOrder = getU16(h + 0x1C);
        uint16_t sectorShift = getU16(h + 0x1E);
        uint16_t miniShift = getU16(h + 0x20);
        if (byteOrder != 0xFFFE) workbook::throwUnreadable("複合ファイルのバイト順が不正です");
        if (!((major == 3 && sectorShift == 9) || (major == 4 && sectorShift == 12)))
            workbook::throwUnreadable("未対応の複合ファイルのバージョンです");
        if (miniShift != 6) workbook::throwUnreadable("未対応のミニセクターの大きさです");
        version4_ = major == 4;
        sectorSize_ = 1u << sectorShift;
        if (bytes_.size() < sectorSize_) workbook::throwUnreadable("複合ファイルが途中で切れています");
        sectorCount_ = (bytes_.size() - sectorSize_ + sectorSize_ - 1) / sectorSize_;
        fatSectorCount_ = getU32(h + 0x2C);
        firstDirSector_ = getU32(h + 0x30);
        miniCutoff_ = getU32(h + 0x38);
        firstMiniFatSector_ = getU32(h + 0x3C);
        firstDifatSector_ = getU32(h + 0x44);
        difatSectorCount_ = getU32(h + 0x48);
        if (miniCutoff_ != kMiniCutoff) workbook::throwUnreadable("未対応のミニストリームの境界値です");
    }

    void checkSector(uint32_t index) const {
        if (index > kMaxRegularSect || index >= sectorCount_)
            workbook::throwUnreadable("セクター番号がファイルの外を指しています");
    }

    void readFat() {
        if (fatSectorCount_ == 0 || fatSectorCount_ > sectorCount_)
            workbook::throwUnreadable("FAT のセクター数が不正です");
        std::vector<uint32_t> fatSectors;
        const char* h = bytes_.data();
        for (uint32_t i = 0; i < kHeaderDifatEntries && fatSectors.size() < fatSectorCount_; ++i)
            fatSectors.push_back(getU32(h + kHeaderDifatOffset + 4 * i));
        uint32_t next = firstDifatSector_;
        uint64_t visited = 0;
        const uint32_t perDifat = sectorSize_ / 4 - 1;
        while (fatSectors.size() < fatSectorCount_) {
            if (next == kEndOfChain || next == kFreeSect || ++visited > difatSectorCount_ + 1)
                workbook::throwUnreadable("DIFAT が途中で切れています");
            checkSector(next);
            const char* s = sector(next);
            for (uint32_t i = 0; i < perDifat && fatSectors.size() < fatSectorCount_; ++i)
                fatSectors.push_back(getU32(s + 4 * i));
            next = getU32(s + 4 * perDifat);
        }
        fat_.reserve(static_cast<size_t>(fatSectorCount_) * (sectorSize_ / 4));
        std::string buffer;
        for (uint32_t index : fatSectors) {
            checkSector(index);
            buffer.clear();
            appendSector(buffer, index);
            for (uint32_t i = 0; i < sectorSize_ / 4; ++i) fat_.push_back(getU32(buffer.data() + 4 * i));
        }
    }

    // Follows a chain in `table`, calling visit(sector) for each; stops at
    // the end mark, fails on any entry that leaves the table or loops.
    template <class Visit>
    void walkChain(const std::vector<uint32_t>& table, uint32_t start, uint64_t limit, Visit visit) const {
        uint64_t steps = 0;
        for (uint32_t current = start; current != kEndOfChain; current = table[current]) {
            if (current >= table.size() || current > kMaxRegularSect || ++steps > limit)
                workbook::throwUnreadable("セクターの連鎖が壊れています");
            visit(current);
        }
    }

    std::string readRegularChain(uint32_t start, uint64_t size) const {
        std::string out;
        if (size > bytes_.size()) workbook::throwUnreadable("ストリームの大きさがファイルを超えています");
        out.reserve(size + sectorSize_);
        walkChain(fat_, start, sectorCount_, [&](uint32_t s) {
            checkSector(s);
            if (out.size() < size) appendSector(out, s);
        });
        if (out.size() < size) workbook::throwUnreadable("ストリームが途中で切れています");
        out.resize(size);
        return out;
    }

    void readDirectory() {
        std::string dir;
        walkChain(fat_, firstDirSector_, sectorCount_, [&](uint32_t s) {
            checkSector(s);
            appendSector(dir, s);
        });
        if (dir.size() < 128) workbook::throwUnreadable("ディレクトリがありません");
        directory_ = std::move(dir);
        if (static_cast<uint8_t>(directory_[0x42]) != CfbEntry::kRoot)
            workbook::throwUnreadable("ルート エントリがありません");
    }

    uint64_t entrySize(const char* e) const {
        uint64_t low = getU32(e + 0x78);
        return version4_ ? low | (static_cast<uint64_t>(getU32(e + 0x7C)) << 32) : low;
    }

    void readMiniStream() {
        const char* rootEntry = directory_.data();
        uint64_t size = entrySize(rootEntry);
        if (size > 0) miniStream_ = readRegularChain(getU32(rootEntry + 0x74), size);
        if (firstMiniFatSector_ != kEndOfChain && firstMiniFatSector_ != kFreeSect) {
            std::string table;
            walkChain(fat_, firstMiniFatSector_, sectorCount_, [&](uint32_t s) {
                checkSector(s);
                appendSector(table, s);
            });
            miniFat_.reserve(table.size() / 4);
            for (size_t i = 0; i + 4 <= table.size(); i += 4) miniFat_.push_back(getU32(table.data() + i));
        }
    }

    std::string readMiniChain(uint32_t start, uint64_t size) const {
        std::string out;
        if (size > miniStream_.size())
            workbook::throwUnreadable("ストリームの大きさがミニストリームを超えています");
        out.reserve(size + kMiniSectorSize);
        walkChain(miniFat_, start, miniFat_.size(), [&](uint32_t s) {
            uint64_t offset = static_cast<uint64_t>(s) * kMiniSectorSize;
            if (offset >= miniStream_.size())
                workbook::throwUnreadable("ミニセクター番号がミニストリームの外を指しています");
            if (out.size() < size)
                out.append(miniStream_.data() + offset,
                           std::min<uint64_t>(kMiniSectorSize, miniStream_.size() - offset));
        });
        if (out.size() < size) workbook::throwUnreadable("ストリームが途中で切れています");
        out.resize(size);
        return out;
    }

    size_t entryCount() const { return directory_.size() / 128; }
    const char* entry(uint32_t id) const { return directory_.data() + static_cast<size_t>(id) * 128; }

    CfbEntry makeEntry(uint32_t id) const {
        const char* e = entry(id);
        CfbEntry out;
        std::memcpy(out.directoryBytes.data(), e, 128);
        out.type = static_cast<uint8_t>(e[0x42]);
        uint16_t nameBytes = getU16(e + 0x40);
        if (nameBytes > 64 || nameBytes % 2 != 0)
            workbook::throwUnreadable("ディレクトリ エントリの名前が不正です");
        for (uint16_t i = 0; i + 2 < nameBytes; i += 2)
            out.name.push_back(static_cast<char16_t>(getU16(e + i)));
        if (out.type == CfbEntry::kStream) {
            uint64_t size = entrySize(e);
            uint32_t start = getU32(e + 0x74);
            if (size == 0) return out;
            out.data = size < miniCutoff_ ? readMiniChain(start, size) : readRegularChain(start, size);
        } else if (out.type != CfbEntry::kStorage) {
            workbook::throwUnreadable("ディレクトリ エントリの種類が不正です");
        }
        return out;
    }

    // Collects the ids in the sibling tree hanging from `top`.
    void collectSiblings(uint32_t top, std::vector<uint32_t>& ids, std::vector<bool>& seen) const {
        std::vector<uint32_t> pending;
        if (top != kNoStream) pending.push_back(top);
        while (!pending.empty()) {
            uint32_t id = pending.back();
            pending.pop_back();
            if (id >= entryCount() || id == 0 || seen[id])
                workbook::throwUnreadable("ディレクトリの木構造が壊れています");
            seen[id] = true;
            ids.push_back(id);
            const char* e = entry(id);
            for (uint32_t link : {getU32(e + 0x44), getU32(e + 0x48)})
                if (link != kNoStream) pending.push_back(link);
        }
    }

    CfbEntry buildTree() const {
        std::vector<bool> seen(entryCount(), false);
        CfbEntry root;
        std::memcpy(root.directoryBytes.data(), entry(0), 128);
        root.type = CfbEntry::kRoot;
        root.name = u"Root Entry";
        // Storages are expanded breadth-first with an explicit work list, so
        // that a deep tree cannot exhaust the call stack.
        struct Work {
            CfbEntry* parent;
            uint32_t childLink;
        };
        std::vector<Work> work{{&root, getU32(entry(0) + 0x4C)}};
        while (!work.empty()) {
            Work w = work.back();
            work.pop_back();
            std::vector<uint32_t> ids;
            collectSiblings(w.childLink, ids, seen);
            w.parent->children.reserve(ids.size());
            for (uint32_t id : ids) w.parent->children.push_back(makeEntry(id));
            for (size_t i = 0; i < ids.size(); ++i)
                if (w.parent->children[i].type == CfbEntry::kStorage)
                    work.push_back({&w.parent->children[i], getU32(entry(ids[i]) + 0x4C)});
        }
        return root;
    }
};

}  // namespace

CompoundFile CompoundFile::parse(std::string_view bytes) {
    CompoundFile file;
    file.root_ = Reader(bytes).read();
    return file;
}

const CfbEntry* CompoundFile::findRootStream(std::u16string_view name) const {
    // Names compare without regard to case, as CFB orders them.
    for (const auto& child : root_.children)
        if (child.type == CfbEntry::kStream && !cfbNameLess(child.name, name) &&
            !cfbNameLess(name, child.name))
            return &child;
    return nullptr;
}

CfbEntry* CompoundFile::findRootStream(std::u16string_view name) {
    return const_cast<CfbEntry*>(std::as_const(*this).findRootStream(name));
}

}  // namespace speclore::xls
