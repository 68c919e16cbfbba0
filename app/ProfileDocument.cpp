#include "app/ProfileDocument.h"

#include "app/Cp932.h"

namespace speclore {

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

// A UTF-16 file (its byte order mark first) is read and written by nothing
// here: treating it as code page 932 would garble it.
bool isUtf16(std::string_view bytes) {
    return bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF");
}

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
    return text;
}

// Code page 932 lead and trail bytes. A trail byte can look like "]", "\" or
// a letter, so every scan that looks for those steps over whole characters.
bool isLeadByte(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }
bool isTrailByte(unsigned char c) { return c >= 0x40 && c <= 0xFC && c != 0x7F; }

// Bytes taken by the character at `i`: 2 for a double-byte character of
// code page 932, otherwise 1 (UTF-8 never needs this care: none of the
// bytes of a multi-byte sequence is ASCII).
size_t charSize(std::string_view text, size_t i, bool utf8) {
    if (!utf8 && isLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size() &&
        isTrailByte(static_cast<unsigned char>(text[i + 1])))
        return 2;
    return 1;
}

char asciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool sameName(std::string_view a, std::string_view b, bool utf8) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size();) {
        size_t n = charSize(a, i, utf8);
        if (n == 2) {
            if (a.substr(i, 2) != b.substr(i, 2)) return false;
        } else if (asciiLower(a[i]) != asciiLower(b[i])) {
            return false;
        }
        i += n;
    }
    return true;
}

// The longest start of a code page 932 text that fits in `limit` bytes
// without splitting a double-byte character.
std::string_view cp932Prefix(std::string_view text, size_t limit) {
    size_t end = 0;
    while (end < text.size()) {
        size_t n = charSize(text, end, false);
        if (end + n > limit) break;
        end += n;
    }
    return text.substr(0, end);
}

struct Line {
    size_t begin;     // first byte of the line
    size_t end;       // end of its text, before CR LF or LF
    size_t next;      // first byte of the next line
    bool terminated;  // whether a line end follows
};

enum class LineKind { Blank, Section, Entry, Other };

struct ParsedLine {
    LineKind kind = LineKind::Blank;
    std::string_view name;   // section name or key, trimmed
    std::string_view value;  // an entry's value, trimmed
};

ParsedLine parseLine(std::string_view text, bool utf8) {
    ParsedLine parsed;
    text = trimmed(text);
    if (text.empty()) return parsed;
    if (text.front() == '[') {
        size_t lastBracket = std::string_view::npos;
        for (size_t i = 1; i < text.size(); i += charSize(text, i, utf8)) {
            if (text[i] == ']') lastBracket = i;
        }
        if (lastBracket != std::string_view::npos) {
            parsed.kind = LineKind::Section;
            parsed.name = trimmed(text.substr(1, lastBracket - 1));
            return parsed;
        }
    }
    size_t equals = text.find('=');
    if (text.front() == ';' || equals == std::string_view::npos) {
        parsed.kind = LineKind::Other;
        return parsed;
    }
    parsed.kind = LineKind::Entry;
    parsed.name = trimmed(text.substr(0, equals));
    parsed.value = trimmed(text.substr(equals + 1));
    return parsed;
}

// Calls visit(line, parsed) for each line from `start` until it returns false.
template <class Visit>
void forEachLine(std::string_view bytes, size_t start, bool utf8, Visit&& visit) {
    size_t begin = start;
    while (begin < bytes.size()) {
        size_t newline = bytes.find('\n', begin);
        Line line;
        line.begin = begin;
        line.terminated = newline != std::string_view::npos;
        line.next = line.terminated ? newline + 1 : bytes.size();
        line.end = line.terminated ? newline : bytes.size();
        if (line.terminated && line.end > begin && bytes[line.end - 1] == '\r') --line.end;
        if (!visit(line, parseLine(bytes.substr(line.begin, line.end - line.begin), utf8))) return;
        begin = line.next;
    }
}

// Text that the file cannot hold on one line, or that a reader would cut.
bool breaksLine(std::string_view text) {
    return text.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

}  // namespace

ProfileDocument::ProfileDocument(std::string bytes)
    : bytes_(std::move(bytes)), utf8_(bytes_.starts_with(kUtf8Bom)) {}

std::optional<std::string> ProfileDocument::value(std::string_view section, std::string_view key) const {
    const std::string wantedSection = utf8_ ? std::string(trimmed(section)) : utf8ToCp932(trimmed(section));
    const std::string wantedKey = utf8_ ? std::string(trimmed(key)) : utf8ToCp932(trimmed(key));
    if (wantedSection.empty() || wantedKey.empty() || isUtf16(bytes_)) return std::nullopt;

    std::optional<std::string_view> found;
    bool inSection = false;
    forEachLine(bytes_, utf8_ ? kUtf8Bom.size() : 0, utf8_, [&](const Line&, const ParsedLine& line) {
        if (line.kind == LineKind::Section) {
            // Only the first section of a name counts, as in the Windows reader.
            if (inSection) return false;
            inSection = sameName(line.name, wantedSection, utf8_);
        } else if (inSection && line.kind == LineKind::Entry && sameName(line.name, wantedKey, utf8_)) {
            found = line.value;
            return false;
        }
        return true;
    });
    if (!found) return std::nullopt;

    std::string_view stored = *found;
    stored = stored.substr(0, stored.find('\0'));
    if (stored.size() >= 2 && (stored.front() == '"' || stored.front() == '\'') &&
        stored.back() == stored.front())
        stored = stored.substr(1, stored.size() - 2);
    // The length limit is counted in code page 932 whatever the file holds.
    if (utf8_) return cp932ToUtf8(cp932Prefix(utf8ToCp932(stored), kLongestValue));
    return cp932ToUtf8(cp932Prefix(stored, kLongestValue));
}

bool ProfileDocument::setValue(std::string_view section, std::string_view key, std::string_view value) {
    section = trimmed(section);
    key = trimmed(key);
    if (section.empty() || key.empty() || isUtf16(bytes_)) return false;
    if (breaksLine(section) || breaksLine(key) || breaksLine(value)) return false;
    if (section.find(']') != std::string_view::npos || key.find('=') != std::string_view::npos) return false;
    if (key.front() == ';' || key.front() == '[') return false;

    const std::string fileSection = utf8_ ? std::string(section) : utf8ToCp932(section);
    const std::string fileKey = utf8_ ? std::string(key) : utf8ToCp932(key);
    const std::string fileValue = utf8_ ? std::string(value) : utf8ToCp932(value);

    // New lines end the way the file's lines already do.
    size_t firstNewline = bytes_.find('\n');
    const std::string eol =
        (firstNewline != std::string::npos && (firstNewline == 0 || bytes_[firstNewline - 1] != '\r'))
            ? "\n"
            : "\r\n";

    bool inSection = false;
    bool sectionFound = false;
    std::optional<Line> keyLine;
    std::optional<std::string> storedKey;
    Line lastEntryOfSection{};
    forEachLine(bytes_, utf8_ ? kUtf8Bom.size() : 0, utf8_, [&](const Line& line, const ParsedLine& parsed) {
        if (parsed.kind == LineKind::Section) {
            if (inSection) return false;
            inSection = sameName(parsed.name, fileSection, utf8_);
            if (inSection) {
                sectionFound = true;
                lastEntryOfSection = line;
            }
            return true;
        }
        if (!inSection) return true;
        if (parsed.kind == LineKind::Entry && sameName(parsed.name, fileKey, utf8_)) {
            keyLine = line;
            storedKey = std::string(parsed.name);
            return false;
        }
        if (parsed.kind != LineKind::Blank) lastEntryOfSection = line;
        return true;
    });

    if (keyLine) {
        bytes_.replace(keyLine->begin, keyLine->end - keyLine->begin, *storedKey + "=" + fileValue);
        return true;
    }
    const std::string entry = fileKey + "=" + fileValue + eol;
    if (sectionFound) {
        std::string insertion = lastEntryOfSection.terminated ? entry : eol + entry;
        bytes_.insert(lastEntryOfSection.next, insertion);
        return true;
    }
    if (!bytes_.empty() && bytes_.back() != '\n' && bytes_ != kUtf8Bom) bytes_ += eol;
    bytes_ += "[" + fileSection + "]" + eol + entry;
    return true;
}

}  // namespace speclore
