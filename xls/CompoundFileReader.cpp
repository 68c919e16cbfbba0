// Reading a compound file. Every sector number, chain and link is checked
// against the file's size, so damaged or hostile files raise an error
// instead of reading out of bounds or looping. Whatever the reader cannot
// prove consistent is refused as well: a sector in two chains or in none, a
// chain longer or shorter than its stream, FAT and DIFAT that disagree with
// the header, a directory tree out of order or with entries it does not
// reach. The engine writes a fresh file from what it read, so damage let
// through here would reach readers that look closer.
#include <algorithm>
#include <cstring>
#include <optional>
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
        CfbEntry root = buildTree();
        checkNothingLeftOver();
        return root;
    }

private:
    std::string_view bytes_;
    uint32_t sectorSize_ = 512;
    uint64_t sectorCount_ = 0;
    uint32_t miniCutoff_ = kMiniCutoff;
    uint32_t firstDirSector_ = 0;
    uint32_t firstMiniFatSector_ = kEndOfChain;
    uint32_t miniFatSectorCount_ = 0;
    uint32_t fatSectorCount_ = 0;
    uint32_t firstDifatSector_ = kEndOfChain;
    uint32_t difatSectorCount_ = 0;
    bool version4_ = false;
    std::vector<uint32_t> fat_;
    std::vector<uint32_t> miniFat_;
    // Sectors and mini sectors some structure has taken: none may be taken
    // twice, and every one the tables allocate must be taken by the end.
    std::vector<bool> claimed_;
    std::vector<bool> miniClaimed_;
    std::vector<bool> reached_;  // directory entries the tree reaches
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
        uint16_t major = getU16(h + header::kMajorVersion);
        uint16_t byteOrder = getU16(h + header::kByteOrder);
        uint16_t sectorShift = getU16(h + header::kSectorShift);
        uint16_t miniShift = getU16(h + header::kMiniSectorShift);
        if (byteOrder != kByteOrderMark) workbook::throwUnreadable("複合ファイルのバイト順が不正です");
        if (!((major == 3 && sectorShift == 9) || (major == 4 && sectorShift == 12)))
            workbook::throwUnreadable("未対応の複合ファイルのバージョンです");
        if (miniShift != kMiniSectorShiftValue) workbook::throwUnreadable("未対応のミニセクターの大きさです");
        version4_ = major == 4;
        sectorSize_ = 1u << sectorShift;
        if (bytes_.size() < sectorSize_) workbook::throwUnreadable("複合ファイルが途中で切れています");
        sectorCount_ = (bytes_.size() - sectorSize_ + sectorSize_ - 1) / sectorSize_;
        if (!version4_ && getU32(h + header::kDirectorySectors) != 0)
            workbook::throwUnreadable("ディレクトリのセクター数が不正です");
        fatSectorCount_ = getU32(h + header::kFatSectors);
        firstDirSector_ = getU32(h + header::kFirstDirectorySector);
        miniCutoff_ = getU32(h + header::kMiniCutoff);
        firstMiniFatSector_ = getU32(h + header::kFirstMiniFatSector);
        miniFatSectorCount_ = getU32(h + header::kMiniFatSectors);
        firstDifatSector_ = getU32(h + header::kFirstDifatSector);
        difatSectorCount_ = getU32(h + header::kDifatSectors);
        if (miniCutoff_ != kMiniCutoff) workbook::throwUnreadable("未対応のミニストリームの境界値です");
        claimed_.assign(sectorCount_, false);
    }

    void checkSector(uint32_t index) const {
        if (index > kMaxRegularSect || index >= sectorCount_)
            workbook::throwUnreadable("セクター番号がファイルの外を指しています");
    }

    // Takes a sector for one structure; a second taker means damage.
    void claim(uint32_t index) {
        checkSector(index);
        if (claimed_[index]) workbook::throwUnreadable("セクターが二か所で使われています");
        claimed_[index] = true;
    }

    void readFat() {
        if (fatSectorCount_ == 0 || fatSectorCount_ > sectorCount_)
            workbook::throwUnreadable("FAT のセクター数が不正です");
        const uint32_t perSector = sectorSize_ / 4;
        const uint32_t perDifat = perSector - 1;
        const uint64_t beyondHeader =
            fatSectorCount_ > kHeaderDifatEntries ? fatSectorCount_ - kHeaderDifatEntries : 0;
        if (difatSectorCount_ != (beyondHeader + perDifat - 1) / perDifat)
            workbook::throwUnreadable("DIFAT のセクター数が FAT のセクター数と合いません");
        if (static_cast<uint64_t>(fatSectorCount_) * perSector < sectorCount_)
            workbook::throwUnreadable("FAT がファイルの全セクターを覆っていません");

        // The FAT's sectors as the header and the DIFAT sectors list them;
        // the slots past the last must be free.
        std::vector<uint32_t> fatSectors;
        const char* h = bytes_.data();
        for (uint32_t i = 0; i < kHeaderDifatEntries; ++i) {
            uint32_t entry = getU32(h + kHeaderDifatOffset + 4 * i);
            if (i < fatSectorCount_)
                fatSectors.push_back(entry);
            else if (entry != kFreeSect)
                workbook::throwUnreadable("ヘッダーの DIFAT に余分な項目があります");
        }
        std::vector<uint32_t> difatSectors;
        uint32_t next = firstDifatSector_;
        while (difatSectors.size() < difatSectorCount_) {
            claim(next);
            difatSectors.push_back(next);
            const char* s = sector(next);
            for (uint32_t i = 0; i < perDifat; ++i) {
                uint32_t entry = getU32(s + 4 * i);
                if (fatSectors.size() < fatSectorCount_)
                    fatSectors.push_back(entry);
                else if (entry != kFreeSect)
                    workbook::throwUnreadable("DIFAT に余分な項目があります");
            }
            next = getU32(s + 4 * perDifat);
        }
        if (next != kEndOfChain && next != kFreeSect)
            workbook::throwUnreadable("DIFAT の連鎖が終わっていません");

        fat_.reserve(static_cast<size_t>(fatSectorCount_) * perSector);
        std::string buffer;
        for (uint32_t index : fatSectors) {
            claim(index);
            buffer.clear();
            appendSector(buffer, index);
            for (uint32_t i = 0; i < perSector; ++i) fat_.push_back(getU32(buffer.data() + 4 * i));
        }
        checkFatEntries(fatSectors, difatSectors);
    }

    // The FAT marks its own sectors and the DIFAT's as such and no others;
    // every other entry is free, an end of chain or a sector of the file,
    // and the entries past the file's end are free.
    void checkFatEntries(const std::vector<uint32_t>& fatSectors,
                         const std::vector<uint32_t>& difatSectors) const {
        std::vector<uint32_t> marks(sectorCount_, kFreeSect);
        for (uint32_t index : fatSectors) marks[index] = kFatSect;
        for (uint32_t index : difatSectors) marks[index] = kDifSect;
        for (size_t i = 0; i < fat_.size(); ++i) {
            const uint32_t entry = fat_[i];
            bool valid;
            if (i >= sectorCount_)
                valid = entry == kFreeSect;
            else if (marks[i] != kFreeSect)
                valid = entry == marks[i];
            else
                valid = entry == kFreeSect || entry == kEndOfChain || entry < sectorCount_;
            if (!valid) workbook::throwUnreadable("FAT の項目が不正です");
        }
    }

    // Follows a chain in `table`, calling visit(sector) for each; stops at
    // the end mark, fails on any entry that leaves the table or loops.
    // Gives the number of sectors in the chain.
    template <class Visit>
    uint64_t walkChain(const std::vector<uint32_t>& table, uint32_t start, uint64_t limit,
                       Visit visit) const {
        uint64_t steps = 0;
        for (uint32_t current = start; current != kEndOfChain; current = table[current]) {
            if (current >= table.size() || current > kMaxRegularSect || ++steps > limit)
                workbook::throwUnreadable("セクターの連鎖が壊れています");
            visit(current);
        }
        return steps;
    }

    // A chain holding `size` bytes has exactly as many sectors as they fill.
    static void checkChainLength(uint64_t sectors, uint64_t size, uint32_t unit) {
        if (sectors != (size + unit - 1) / unit)
            workbook::throwUnreadable("セクターの連鎖の長さがストリームの大きさと合いません");
    }

    std::string readRegularChain(uint32_t start, uint64_t size) {
        std::string out;
        if (size > bytes_.size()) workbook::throwUnreadable("ストリームの大きさがファイルを超えています");
        out.reserve(size + sectorSize_);
        uint64_t sectors = walkChain(fat_, start, sectorCount_, [&](uint32_t s) {
            claim(s);
            appendSector(out, s);
        });
        checkChainLength(sectors, size, sectorSize_);
        out.resize(size);
        return out;
    }

    void readDirectory() {
        std::string dir;
        walkChain(fat_, firstDirSector_, sectorCount_, [&](uint32_t s) {
            claim(s);
            appendSector(dir, s);
        });
        if (dir.size() < dirEntry::kSize) workbook::throwUnreadable("ディレクトリがありません");
        directory_ = std::move(dir);
        const char* root = entry(0);
        if (static_cast<uint8_t>(root[dirEntry::kType]) != CfbEntry::kRoot)
            workbook::throwUnreadable("ルート エントリがありません");
        if (getU32(root + dirEntry::kLeftSibling) != kNoStream ||
            getU32(root + dirEntry::kRightSibling) != kNoStream)
            workbook::throwUnreadable("ルート エントリに兄弟があります");
        reached_.assign(entryCount(), false);
    }

    uint64_t entrySize(const char* e) const {
        uint64_t low = getU32(e + dirEntry::kStreamSizeLow);
        return version4_ ? low | (static_cast<uint64_t>(getU32(e + dirEntry::kStreamSizeHigh)) << 32) : low;
    }

    void readMiniStream() {
        const char* root = entry(0);
        uint64_t size = entrySize(root);
        if (size > 0) miniStream_ = readRegularChain(getU32(root + dirEntry::kStartSector), size);
        std::string table;
        uint64_t sectors = 0;
        if (firstMiniFatSector_ != kEndOfChain && firstMiniFatSector_ != kFreeSect) {
            sectors = walkChain(fat_, firstMiniFatSector_, sectorCount_, [&](uint32_t s) {
                claim(s);
                appendSector(table, s);
            });
        }
        if (sectors != miniFatSectorCount_)
            workbook::throwUnreadable("ミニ FAT のセクター数がヘッダーと合いません");
        miniFat_.reserve(table.size() / 4);
        for (size_t i = 0; i + 4 <= table.size(); i += 4) miniFat_.push_back(getU32(table.data() + i));
        // Like the FAT: links stay inside the mini stream, and the entries
        // past its end are free.
        const uint64_t miniSectors = (miniStream_.size() + kMiniSectorSize - 1) / kMiniSectorSize;
        for (size_t i = 0; i < miniFat_.size(); ++i) {
            const uint32_t link = miniFat_[i];
            const bool valid = i >= miniSectors
                                   ? link == kFreeSect
                                   : link == kFreeSect || link == kEndOfChain || link < miniSectors;
            if (!valid) workbook::throwUnreadable("ミニ FAT の項目が不正です");
        }
        miniClaimed_.assign(miniFat_.size(), false);
    }

    std::string readMiniChain(uint32_t start, uint64_t size) {
        std::string out;
        if (size > miniStream_.size())
            workbook::throwUnreadable("ストリームの大きさがミニストリームを超えています");
        out.reserve(size + kMiniSectorSize);
        uint64_t sectors = walkChain(miniFat_, start, miniFat_.size(), [&](uint32_t s) {
            uint64_t offset = static_cast<uint64_t>(s) * kMiniSectorSize;
            if (offset >= miniStream_.size())
                workbook::throwUnreadable("ミニセクター番号がミニストリームの外を指しています");
            if (miniClaimed_[s]) workbook::throwUnreadable("ミニセクターが二か所で使われています");
            miniClaimed_[s] = true;
            out.append(miniStream_.data() + offset,
                       std::min<uint64_t>(kMiniSectorSize, miniStream_.size() - offset));
        });
        checkChainLength(sectors, size, kMiniSectorSize);
        if (out.size() < size) workbook::throwUnreadable("ストリームが途中で切れています");
        out.resize(size);
        return out;
    }

    size_t entryCount() const { return directory_.size() / dirEntry::kSize; }
    const char* entry(uint32_t id) const {
        return directory_.data() + static_cast<size_t>(id) * dirEntry::kSize;
    }

    // At least one character, then the terminating zero its length counts,
    // and no zero before it.
    std::u16string entryName(uint32_t id) const {
        const char* e = entry(id);
        uint16_t nameBytes = getU16(e + dirEntry::kNameBytes);
        if (nameBytes < 4 || nameBytes > dirEntry::kMaxNameBytes || nameBytes % 2 != 0 ||
            getU16(e + nameBytes - 2) != 0)
            workbook::throwUnreadable("ディレクトリ エントリの名前が不正です");
        std::u16string name;
        for (uint16_t i = 0; i + 2 < nameBytes; i += 2) {
            char16_t unit = static_cast<char16_t>(getU16(e + i));
            if (unit == 0) workbook::throwUnreadable("ディレクトリ エントリの名前が不正です");
            name.push_back(unit);
        }
        return name;
    }

    CfbEntry makeEntry(uint32_t id) {
        const char* e = entry(id);
        CfbEntry out;
        std::memcpy(out.directoryBytes.data(), e, dirEntry::kSize);
        out.type = static_cast<uint8_t>(e[dirEntry::kType]);
        if (static_cast<uint8_t>(e[dirEntry::kColour]) > 1)
            workbook::throwUnreadable("ディレクトリ エントリの色が不正です");
        out.name = entryName(id);
        if (out.type == CfbEntry::kStream) {
            if (getU32(e + dirEntry::kChild) != kNoStream)
                workbook::throwUnreadable("ストリームに子エントリがあります");
            uint64_t size = entrySize(e);
            uint32_t start = getU32(e + dirEntry::kStartSector);
            if (size == 0) return out;
            out.data = size < miniCutoff_ ? readMiniChain(start, size) : readRegularChain(start, size);
        } else if (out.type != CfbEntry::kStorage) {
            workbook::throwUnreadable("ディレクトリ エントリの種類が不正です");
        }
        return out;
    }

    // Collects the ids in the sibling tree hanging from `top`. The tree must
    // be a search tree in CFB's name order, every name in it distinct, so
    // that a name finds exactly one entry.
    void collectSiblings(uint32_t top, std::vector<uint32_t>& ids) {
        struct Pending {
            uint32_t id;
            std::optional<std::u16string> after;   // every name below comes after this one
            std::optional<std::u16string> before;  // and before this one
        };
        std::vector<Pending> pending;
        if (top != kNoStream) pending.push_back({top, std::nullopt, std::nullopt});
        while (!pending.empty()) {
            Pending p = std::move(pending.back());
            pending.pop_back();
            if (p.id >= entryCount() || p.id == 0 || reached_[p.id])
                workbook::throwUnreadable("ディレクトリの木構造が壊れています");
            reached_[p.id] = true;
            ids.push_back(p.id);
            std::u16string name = entryName(p.id);
            if ((p.after && !cfbNameLess(*p.after, name)) || (p.before && !cfbNameLess(name, *p.before)))
                workbook::throwUnreadable("ディレクトリの名前の順序が壊れています");
            const char* e = entry(p.id);
            if (uint32_t left = getU32(e + dirEntry::kLeftSibling); left != kNoStream)
                pending.push_back({left, p.after, name});
            if (uint32_t right = getU32(e + dirEntry::kRightSibling); right != kNoStream)
                pending.push_back({right, std::move(name), p.before});
        }
    }

    CfbEntry buildTree() {
        CfbEntry root;
        std::memcpy(root.directoryBytes.data(), entry(0), dirEntry::kSize);
        root.type = CfbEntry::kRoot;
        root.name = u"Root Entry";
        // Storages are expanded breadth-first with an explicit work list, so
        // that a deep tree cannot exhaust the call stack.
        struct Work {
            CfbEntry* parent;
            uint32_t childLink;
        };
        std::vector<Work> work{{&root, getU32(entry(0) + dirEntry::kChild)}};
        while (!work.empty()) {
            Work w = work.back();
            work.pop_back();
            std::vector<uint32_t> ids;
            collectSiblings(w.childLink, ids);
            w.parent->children.reserve(ids.size());
            for (uint32_t id : ids) w.parent->children.push_back(makeEntry(id));
            for (size_t i = 0; i < ids.size(); ++i)
                if (w.parent->children[i].type == CfbEntry::kStorage)
                    work.push_back({&w.parent->children[i], getU32(entry(ids[i]) + dirEntry::kChild)});
        }
        return root;
    }

    // Sectors and mini sectors the tables allocate but no chain takes, and
    // entries in use that the tree does not reach, belong to nothing the
    // file says it holds: a link to them was lost.
    void checkNothingLeftOver() const {
        for (uint32_t i = 0; i < sectorCount_; ++i)
            if (fat_[i] != kFreeSect && !claimed_[i])
                workbook::throwUnreadable("どこからも辿れないセクターがあります");
        for (size_t i = 0; i < miniFat_.size(); ++i)
            if (miniFat_[i] != kFreeSect && !miniClaimed_[i])
                workbook::throwUnreadable("どこからも辿れないミニセクターがあります");
        for (uint32_t id = 1; id < entryCount(); ++id)
            if (!reached_[id] && entry(id)[dirEntry::kType] != 0)
                workbook::throwUnreadable("どこからも辿れないディレクトリ エントリがあります");
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
