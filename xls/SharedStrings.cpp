#include "xls/SharedStrings.h"

#include <algorithm>

#include "app/Invariant.h"
#include "workbook/WorkbookError.h"
#include "xls/ByteIo.h"
#include "xls/RecordChecks.h"

namespace speclore::xls {

namespace {

constexpr uint8_t kHighByte = 0x01;
constexpr uint8_t kExtSt = 0x04;
constexpr uint8_t kRichSt = 0x08;

// Reads the SST data across record boundaries; a character array that
// crosses into a CONTINUE record resumes after its option byte.
class SstCursor {
public:
    explicit SstCursor(const std::vector<const BiffRecord*>& records) : records_(records) {}

    bool atEnd() {
        skipFinishedRecords();
        return record_ >= records_.size();
    }

    const char* take(size_t n) {
        skipFinishedRecords();
        if (record_ >= records_.size() || n > current().size() - offset_)
            workbook::throwUnreadable("共有文字列表が途中で切れています");
        const char* p = current().data() + offset_;
        offset_ += n;
        return p;
    }

    uint8_t u8() { return static_cast<uint8_t>(*take(1)); }
    uint16_t u16() { return getU16(take(2)); }
    uint32_t u32() { return getU32(take(4)); }

    void characters(std::u16string& out, size_t count, bool highByte) {
        out.reserve(count);
        while (out.size() < count) {
            if (offset_ >= current().size()) {
                nextRecord();
                highByte = (u8() & kHighByte) != 0;
            }
            size_t width = highByte ? 2 : 1;
            size_t fit = std::min(count - out.size(), (current().size() - offset_) / width);
            if (fit == 0) workbook::throwUnreadable("共有文字列表の文字が途中で切れています");
            const char* p = current().data() + offset_;
            for (size_t i = 0; i < fit; ++i)
                out.push_back(highByte ? static_cast<char16_t>(getU16(p + 2 * i))
                                       : static_cast<char16_t>(static_cast<unsigned char>(p[i])));
            offset_ += fit * width;
        }
    }

    // Bytes that may run on into the next record without any marker.
    void bytes(std::string& out, size_t count) {
        out.reserve(count);
        while (out.size() < count) {
            if (offset_ >= current().size()) nextRecord();
            size_t fit = std::min(count - out.size(), current().size() - offset_);
            out.append(current().data() + offset_, fit);
            offset_ += fit;
        }
    }

private:
    const std::vector<const BiffRecord*>& records_;
    size_t record_ = 0;
    size_t offset_ = 0;

    const std::string& current() const { return records_[record_]->data; }

    void nextRecord() {
        ++record_;
        offset_ = 0;
        if (record_ >= records_.size()) workbook::throwUnreadable("共有文字列表が途中で切れています");
    }

    void skipFinishedRecords() {
        while (record_ < records_.size() && offset_ >= current().size()) {
            ++record_;
            offset_ = 0;
        }
    }
};

// Writes the SST data into records of at most kMaxRecordData bytes.
class SstWriter {
public:
    explicit SstWriter(std::string& out) : out_(out) {}

    void begin(uint32_t total, uint32_t unique) {
        openRecord(rt::Sst);
        putU32(out_, total);
        putU32(out_, unique);
    }

    size_t room() const { return kMaxRecordData - (out_.size() - recordStart_ - 4); }

    // Makes sure `n` bytes fit in the current record, opening a CONTINUE
    // if not; gives the stream position where they will go.
    size_t reserve(size_t n) {
        if (room() < n) openRecord(rt::Continue);
        return out_.size();
    }

    size_t offsetInRecord(size_t position) const { return position - recordStart_; }

    void characters(std::u16string_view text, bool highByte) {
        size_t width = highByte ? 2 : 1;
        size_t done = 0;
        while (done < text.size()) {
            size_t fit = std::min(text.size() - done, room() / width);
            if (fit == 0) {
                openRecord(rt::Continue);
                putU8(out_, highByte ? kHighByte : 0);
                continue;
            }
            for (size_t i = 0; i < fit; ++i) {
                char16_t c = text[done + i];
                if (highByte)
                    putU16(out_, c);
                else
                    putU8(out_, static_cast<uint8_t>(c));
            }
            done += fit;
        }
    }

    void bytes(const std::string& data, size_t unit) {
        size_t done = 0;
        while (done < data.size()) {
            size_t fit = std::min(data.size() - done, room() / unit * unit);
            if (fit == 0) {
                openRecord(rt::Continue);
                continue;
            }
            out_.append(data, done, fit);
            done += fit;
        }
    }

    void finish() { closeRecord(); }

private:
    std::string& out_;
    size_t recordStart_ = 0;
    bool open_ = false;

    void openRecord(uint16_t type) {
        closeRecord();
        recordStart_ = out_.size();
        putU16(out_, type);
        putU16(out_, 0);
        open_ = true;
    }

    void closeRecord() {
        if (!open_) return;
        SPECLORE_INVARIANT(out_.size() - recordStart_ - 4 <= kMaxRecordData);
        setU16(out_.data() + recordStart_ + 2, static_cast<uint16_t>(out_.size() - recordStart_ - 4));
        open_ = false;
    }
};

uint32_t hashText(std::u16string_view text) {
    // FNV-1a over the code units.
    uint32_t h = 2166136261u;
    for (char16_t c : text) {
        h ^= static_cast<uint32_t>(c);
        h *= 16777619u;
    }
    return h;
}

}  // namespace

std::u16string_view SharedStrings::text(uint32_t index) const {
    const Entry& e = entries_[index];
    return std::u16string_view(characters_).substr(e.start, e.length);
}

void SharedStrings::read(const std::vector<const BiffRecord*>& records) {
    if (records.empty() || records.front()->data.size() < 8)
        workbook::throwUnreadable("共有文字列表が不正です");
    SstCursor cursor(records);
    cursor.u32();
    uint32_t unique = cursor.u32();
    std::u16string text;
    for (uint32_t i = 0; i < unique; ++i) {
        if (cursor.atEnd()) workbook::throwUnreadable("共有文字列表の文字列の数が合いません");
        uint16_t count = cursor.u16();
        uint8_t flags = cursor.u8();
        uint16_t runs = (flags & kRichSt) ? cursor.u16() : 0;
        uint32_t phonetic = (flags & kExtSt) ? cursor.u32() : 0;
        text.clear();
        cursor.characters(text, count, (flags & kHighByte) != 0);
        if (!isWellFormedUtf16(text)) workbook::throwUnreadable("共有文字列表に読めない文字列があります");
        RichParts parts;
        cursor.bytes(parts.runs, static_cast<size_t>(runs) * 4);
        if (phonetic > 0x7FFFFFFF) workbook::throwUnreadable("共有文字列表のふりがな情報が不正です");
        cursor.bytes(parts.phonetic, phonetic);
        uint32_t rich = kPlain;
        if (!parts.runs.empty() || !parts.phonetic.empty()) {
            rich = static_cast<uint32_t>(rich_.size());
            rich_.push_back(std::move(parts));
        }
        add(text, hashText(text), rich);
    }
}

uint32_t SharedStrings::intern(std::u16string_view text) {
    uint32_t hash = hashText(text);
    if (!slots_.empty()) {
        size_t mask = slots_.size() - 1;
        for (size_t at = hash & mask; slots_[at].entryPlusOne != 0; at = (at + 1) & mask) {
            uint32_t entry = slots_[at].entryPlusOne - 1;
            if (slots_[at].hash == hash && this->text(entry) == text) return entry;
        }
    }
    return add(text, hash, kPlain);
}

uint32_t SharedStrings::hashUtf8(std::string_view utf8) {
    // FNV-1a over the bytes.
    uint32_t h = 2166136261u;
    for (char c : utf8) {
        h ^= static_cast<unsigned char>(c);
        h *= 16777619u;
    }
    return h;
}

std::optional<uint32_t> SharedStrings::findUtf8(std::string_view utf8, uint32_t hash) const {
    if (utf8Slots_.empty()) return std::nullopt;
    const size_t mask = utf8Slots_.size() - 1;
    for (size_t at = hash & mask; utf8Slots_[at].entryPlusOne != 0; at = (at + 1) & mask) {
        const Utf8Slot& slot = utf8Slots_[at];
        if (slot.hash == hash && slot.length == utf8.size() &&
            std::string_view(utf8Texts_).substr(slot.start, slot.length) == utf8)
            return slot.entryPlusOne - 1;
    }
    return std::nullopt;
}

void SharedStrings::rememberUtf8(std::string_view utf8, uint32_t hash, uint32_t index) {
    if ((utf8Count_ + 1) * 2 > utf8Slots_.size()) growUtf8();
    const size_t mask = utf8Slots_.size() - 1;
    size_t at = hash & mask;
    while (utf8Slots_[at].entryPlusOne != 0) at = (at + 1) & mask;
    utf8Slots_[at] = {hash, index + 1, static_cast<uint32_t>(utf8Texts_.size()),
                      static_cast<uint32_t>(utf8.size())};
    utf8Texts_.append(utf8);
    ++utf8Count_;
}

void SharedStrings::growUtf8() {
    std::vector<Utf8Slot> old = std::move(utf8Slots_);
    utf8Slots_.assign(std::max<size_t>(1024, old.size() * 2), Utf8Slot{0, 0, 0, 0});
    SPECLORE_INVARIANT((utf8Slots_.size() & (utf8Slots_.size() - 1)) == 0);
    const size_t mask = utf8Slots_.size() - 1;
    for (const Utf8Slot& slot : old) {
        if (slot.entryPlusOne == 0) continue;
        size_t at = slot.hash & mask;
        while (utf8Slots_[at].entryPlusOne != 0) at = (at + 1) & mask;
        utf8Slots_[at] = slot;
    }
}

uint32_t SharedStrings::add(std::u16string_view text, uint32_t hash, uint32_t rich) {
    auto index = static_cast<uint32_t>(entries_.size());
    entries_.push_back({static_cast<uint32_t>(characters_.size()), static_cast<uint32_t>(text.size()), rich});
    characters_.append(text);
    // Only plain strings are shared: a new text never takes on another
    // string's formatting runs or phonetic guide.
    if (rich == kPlain) {
        if ((plainCount_ + 1) * 2 > slots_.size()) grow();
        insertSlot({hash, index + 1});
        ++plainCount_;
    }
    return index;
}

void SharedStrings::insertSlot(Slot slot) {
    size_t mask = slots_.size() - 1;
    size_t at = slot.hash & mask;
    while (slots_[at].entryPlusOne != 0) {
        // The first of several equal texts in the template keeps the slot.
        const Slot& other = slots_[at];
        if (other.hash == slot.hash && text(other.entryPlusOne - 1) == text(slot.entryPlusOne - 1)) return;
        at = (at + 1) & mask;
    }
    slots_[at] = slot;
}

void SharedStrings::grow() {
    std::vector<Slot> old = std::move(slots_);
    slots_.assign(std::max<size_t>(1024, old.size() * 2), Slot{0, 0});
    // Slots are found by masking the hash.
    SPECLORE_INVARIANT((slots_.size() & (slots_.size() - 1)) == 0);
    for (const Slot& slot : old)
        if (slot.entryPlusOne != 0) insertSlot(slot);
}

void SharedStrings::write(std::string& out, uint32_t totalReferences) const {
    const auto unique = static_cast<uint32_t>(entries_.size());
    const uint32_t perBucket = std::max<uint32_t>(unique / 128 + 1, 8);
    std::string extSst;
    putU16(extSst, static_cast<uint16_t>(perBucket));

    SstWriter writer(out);
    writer.begin(totalReferences, unique);
    for (uint32_t i = 0; i < unique; ++i) {
        std::u16string_view chars = text(i);
        static const RichParts kNone;
        const RichParts& e = entries_[i].rich == kPlain ? kNone : rich_[entries_[i].rich];
        bool highByte = std::any_of(chars.begin(), chars.end(), [](char16_t c) { return c > 0xFF; });
        size_t header = 3u + (e.runs.empty() ? 0u : 2u) + (e.phonetic.empty() ? 0u : 4u);
        // The header never splits and keeps its first character with it.
        size_t position = writer.reserve(header + (chars.empty() ? 0 : (highByte ? 2 : 1)));
        if (i % perBucket == 0) {
            putU32(extSst, static_cast<uint32_t>(position));
            putU16(extSst, static_cast<uint16_t>(writer.offsetInRecord(position)));
            putU16(extSst, 0);
        }
        putU16(out, static_cast<uint16_t>(chars.size()));
        putU8(out, static_cast<uint8_t>((highByte ? kHighByte : 0) | (e.runs.empty() ? 0 : kRichSt) |
                                        (e.phonetic.empty() ? 0 : kExtSt)));
        if (!e.runs.empty()) putU16(out, static_cast<uint16_t>(e.runs.size() / 4));
        if (!e.phonetic.empty()) putU32(out, static_cast<uint32_t>(e.phonetic.size()));
        writer.characters(chars, highByte);
        writer.bytes(e.runs, 4);
        writer.bytes(e.phonetic, 1);
    }
    writer.finish();
    appendRecord(out, rt::ExtSst, extSst);
}

}  // namespace speclore::xls
