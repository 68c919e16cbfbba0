#include "xls/SharedStrings.h"

#include <algorithm>
#include <cstring>

#include "app/Invariant.h"
#include "workbook/Utf8.h"
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
            const size_t at = out_.size();
            out_.resize(at + fit * width);
            char* p = out_.data() + at;
            const char16_t* from = text.data() + done;
            if (highByte)
                for (size_t i = 0; i < fit; ++i) setU16(p + 2 * i, from[i]);
            else
                for (size_t i = 0; i < fit; ++i) p[i] = static_cast<char>(from[i]);
            done += fit;
        }
    }

    // A plain ASCII string (no runs, no phonetic guide) whole in the current
    // record, the common case, in one growth of the stream; false when it
    // does not fit.
    bool wholeAsciiString(std::string_view text) {
        if (3 + text.size() > room()) return false;
        const size_t at = out_.size();
        out_.resize(at + 3 + text.size());
        char* p = out_.data() + at;
        setU16(p, static_cast<uint16_t>(text.size()));
        p[2] = 0;  // one byte a character, nothing after them
        if (!text.empty()) std::memcpy(p + 3, text.data(), text.size());
        return true;
    }

    // ASCII text is its own compressed form.
    void asciiCharacters(std::string_view text) {
        size_t done = 0;
        while (done < text.size()) {
            const size_t fit = std::min(text.size() - done, room());
            if (fit == 0) {
                openRecord(rt::Continue);
                putU8(out_, 0);
                continue;
            }
            out_.append(text.data() + done, fit);
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

// Whether a text takes two bytes a character: one of them lies above
// U+00FF. The characters are looked at four at a time, as one word.
bool needsHighByte(std::u16string_view text) {
    uint64_t bits = 0;
    size_t i = 0;
    for (; i + 4 <= text.size(); i += 4) {
        uint64_t word;
        std::memcpy(&word, text.data() + i, 8);
        bits |= word;
    }
    for (; i < text.size(); ++i) bits |= text[i];
    // Each character's high byte, wherever the word holds it.
    return (bits & 0xFF00FF00FF00FF00ull) != 0;
}

uint64_t load64(const char* p) {
    uint64_t word;
    std::memcpy(&word, p, 8);
    return word;
}

uint32_t load32(const char* p) {
    uint32_t word;
    std::memcpy(&word, p, 4);
    return word;
}

// Eight bytes at a time, the last eight overlapping the ones before.
bool isAscii(std::string_view text) {
    uint64_t bits = 0;
    if (text.size() >= 8) {
        for (size_t i = 0; i + 8 < text.size(); i += 8) bits |= load64(text.data() + i);
        bits |= load64(text.data() + text.size() - 8);
    } else {
        for (char c : text) bits |= static_cast<unsigned char>(c);
    }
    return (bits & 0x8080808080808080ull) == 0;
}

// A hash of the UTF-8 bytes, eight at a time; the table uses its low bits.
// The last bytes are read as one word that may overlap the ones before,
// sparing a loop over them: the length is hashed too. Inline: every text
// cell's text is hashed.
inline uint32_t hashKey(std::string_view key) {
    constexpr uint64_t kMultiplier = 0xFF51AFD7ED558CCDull;
    const char* p = key.data();
    const size_t n = key.size();
    uint64_t h = 0x9E3779B97F4A7C15ull ^ n;
    auto mix = [&h](uint64_t word) {
        h = (h ^ word) * kMultiplier;
        h ^= h >> 32;
    };
    if (n >= 8) {
        for (size_t at = 0; at + 8 < n; at += 8) mix(load64(p + at));
        mix(load64(p + n - 8));
    } else if (n >= 4) {
        mix(load32(p) | (static_cast<uint64_t>(load32(p + n - 4)) << 32));
    } else if (n > 0) {
        const auto byte = [p](size_t at) { return static_cast<uint64_t>(static_cast<unsigned char>(p[at])); };
        mix(byte(0) | (byte(n / 2) << 8) | (byte(n - 1) << 16));
    }
    h *= 0xC4CEB9FE1A85EC53ull;
    h ^= h >> 29;
    return static_cast<uint32_t>(h);
}

// Appends the UTF-8 form of well-formed UTF-16.
void appendUtf8(std::string& out, std::u16string_view text) {
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t cp = text[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size())
            cp = 0x10000 + ((cp - 0xD800) << 10) + (text[++i] - 0xDC00);
        workbook::appendCodePoint(out, cp);
    }
}

// Appends the UTF-16 form of a UTF-8 text; false when the text held
// malformed sequences, which read as U+FFFD.
bool appendUtf16(std::u16string& out, std::string_view utf8) {
    const size_t start = out.size();
    // No byte gives more than one code unit: a surrogate pair takes four.
    out.resize(start + utf8.size());
    char16_t* next = out.data() + start;
    bool wellFormed = true;
    for (size_t i = 0; i < utf8.size();) {
        const auto byte = static_cast<unsigned char>(utf8[i]);
        if (byte < 0x80) {
            *next++ = byte;
            ++i;
            continue;
        }
        const size_t from = i;
        char32_t cp = workbook::nextCodePoint(utf8, i);
        if (cp == workbook::kReplacementCharacter && utf8.substr(from, i - from) != "\xEF\xBF\xBD")
            wellFormed = false;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            *next++ = static_cast<char16_t>(0xD800 + (cp >> 10));
            *next++ = static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
        } else {
            *next++ = static_cast<char16_t>(cp);
        }
    }
    out.resize(static_cast<size_t>(next - out.data()));
    return wellFormed;
}

}  // namespace

std::u16string SharedStrings::text(uint32_t index) const {
    const Entry& e = entries_[index];
    if (e.form != kPlainAscii) return characters_.substr(e.start, e.length);
    const std::string_view ascii = std::string_view(keys_).substr(e.start, e.length);
    return {ascii.begin(), ascii.end()};
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
        const size_t start = characters_.size();
        characters_.append(text);
        if (!parts.runs.empty() || !parts.phonetic.empty()) {
            addEntry({static_cast<uint32_t>(start), count, static_cast<uint32_t>(rich_.size())}, {}, 0,
                     SIZE_MAX);
            rich_.push_back(std::move(parts));
            continue;
        }
        // The first of several equal texts in the template is the one found.
        scratch_.clear();
        appendUtf8(scratch_, text);
        makeRoomForOneMore();
        const uint32_t hash = hashKey(scratch_);
        const size_t at = slotFor(scratch_, hash);
        addEntry({static_cast<uint32_t>(start), count, kPlain}, scratch_, hash,
                 slots_[at].entryPlusOne == 0 ? at : SIZE_MAX);
    }
}

// Inline: every text cell looks its text up here.
inline size_t SharedStrings::slotFor(std::string_view utf8, uint32_t hash) const {
    const size_t mask = slots_.size() - 1;
    size_t at = hash & mask;
    for (; slots_[at].entryPlusOne != 0; at = (at + 1) & mask) {
        const Slot& slot = slots_[at];
        if (slot.hash == hash && slot.keyLength == utf8.size() &&
            std::memcmp(keys_.data() + slot.keyStart, utf8.data(), utf8.size()) == 0)
            break;
    }
    return at;
}

uint32_t SharedStrings::intern(std::u16string_view text) {
    scratch_.clear();
    appendUtf8(scratch_, text);
    return internByKey(scratch_, text);
}

std::optional<uint32_t> SharedStrings::internUtf8(std::string_view utf8, size_t maxLength) {
    makeRoomForOneMore();
    const uint32_t hash = hashKey(utf8);
    const size_t at = slotFor(utf8, hash);
    if (const uint32_t found = slots_[at].entryPlusOne) {
        // A UTF-8 text has no fewer bytes than UTF-16 code units.
        if (slots_[at].keyLength > maxLength && entries_[found - 1].length > maxLength) return std::nullopt;
        return found - 1;
    }
    if (isAscii(utf8)) {
        if (utf8.size() > maxLength) return std::nullopt;
        return addEntry(
            {static_cast<uint32_t>(keys_.size()), static_cast<uint32_t>(utf8.size()), kPlainAscii}, utf8,
            hash, at);
    }
    // Other text is converted straight to the end of the characters, and
    // taken off again when it is too long or held malformed sequences (it is
    // then found by the form it reads as).
    const size_t start = characters_.size();
    const bool wellFormed = appendUtf16(characters_, utf8);
    const size_t length = characters_.size() - start;
    if (length <= maxLength && wellFormed)
        return addEntry({static_cast<uint32_t>(start), static_cast<uint32_t>(length), kPlain}, utf8, hash,
                        at);
    const std::u16string text = characters_.substr(start);
    characters_.resize(start);
    if (length > maxLength) return std::nullopt;
    return intern(text);
}

uint32_t SharedStrings::internByKey(std::string_view utf8, std::u16string_view text) {
    makeRoomForOneMore();
    const uint32_t hash = hashKey(utf8);
    const size_t at = slotFor(utf8, hash);
    if (slots_[at].entryPlusOne != 0) return slots_[at].entryPlusOne - 1;
    const size_t start = characters_.size();
    characters_.append(text);
    return addEntry({static_cast<uint32_t>(start), static_cast<uint32_t>(text.size()), kPlain}, utf8, hash,
                    at);
}

uint32_t SharedStrings::addEntry(Entry entry, std::string_view utf8, uint32_t hash, size_t at) {
    const auto index = static_cast<uint32_t>(entries_.size());
    entries_.push_back(entry);
    // Only plain strings are shared: a new text never takes on another
    // string's formatting runs or phonetic guide.
    if (entry.plain()) {
        ++plainCount_;
        if (at != SIZE_MAX) {
            slots_[at] = {hash, index + 1, static_cast<uint32_t>(keys_.size()),
                          static_cast<uint32_t>(utf8.size())};
            keys_.append(utf8);
        }
    }
    return index;
}

void SharedStrings::growSlots() {
    std::vector<Slot> old = std::move(slots_);
    slots_.assign(std::max<size_t>(1024, old.size() * 2), Slot{0, 0, 0, 0});
    // Slots are found by masking the hash.
    SPECLORE_INVARIANT((slots_.size() & (slots_.size() - 1)) == 0);
    const size_t mask = slots_.size() - 1;
    for (const Slot& slot : old) {
        if (slot.entryPlusOne == 0) continue;
        size_t at = slot.hash & mask;
        while (slots_[at].entryPlusOne != 0) at = (at + 1) & mask;
        slots_[at] = slot;
    }
}

void SharedStrings::write(std::string& out, uint32_t totalReferences) const {
    const auto unique = static_cast<uint32_t>(entries_.size());
    const uint32_t perBucket = std::max<uint32_t>(unique / 128 + 1, 8);
    std::string extSst;
    putU16(extSst, static_cast<uint16_t>(perBucket));

    SstWriter writer(out);
    writer.begin(totalReferences, unique);
    for (uint32_t i = 0; i < unique; ++i) {
        const Entry& entry = entries_[i];
        const bool ascii = entry.form == kPlainAscii;
        const std::u16string_view chars =
            ascii ? std::u16string_view()
                  : std::u16string_view(characters_).substr(entry.start, entry.length);
        static const RichParts kNone;
        const RichParts& e = entry.plain() ? kNone : rich_[entry.form];
        const bool highByte = !ascii && needsHighByte(chars);
        size_t header = 3u + (e.runs.empty() ? 0u : 2u) + (e.phonetic.empty() ? 0u : 4u);
        // The header never splits and keeps its first character with it.
        size_t position = writer.reserve(header + (entry.length == 0 ? 0 : (highByte ? 2 : 1)));
        if (i % perBucket == 0) {
            putU32(extSst, static_cast<uint32_t>(position));
            putU16(extSst, static_cast<uint16_t>(writer.offsetInRecord(position)));
            putU16(extSst, 0);
        }
        if (ascii && writer.wholeAsciiString(std::string_view(keys_).substr(entry.start, entry.length)))
            continue;
        putU16(out, static_cast<uint16_t>(entry.length));
        putU8(out, static_cast<uint8_t>((highByte ? kHighByte : 0) | (e.runs.empty() ? 0 : kRichSt) |
                                        (e.phonetic.empty() ? 0 : kExtSt)));
        if (!e.runs.empty()) putU16(out, static_cast<uint16_t>(e.runs.size() / 4));
        if (!e.phonetic.empty()) putU32(out, static_cast<uint32_t>(e.phonetic.size()));
        if (ascii)
            writer.asciiCharacters(std::string_view(keys_).substr(entry.start, entry.length));
        else
            writer.characters(chars, highByte);
        writer.bytes(e.runs, 4);
        writer.bytes(e.phonetic, 1);
    }
    writer.finish();
    appendRecord(out, rt::ExtSst, extSst);
}

}  // namespace speclore::xls
