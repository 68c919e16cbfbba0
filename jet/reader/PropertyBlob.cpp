#include "jet/reader/PropertyBlob.h"

#include <cstring>
#include <vector>

#include "jet/reader/MdbText.h"

namespace speclore::jet::reader {

namespace {

constexpr size_t kChunkHeader = 6;  // length (4 bytes, header included), type (2)
constexpr size_t kSetHeader = 6;    // length (4), name length (2)
constexpr size_t kEntryHeader = 8;  // length (2), flags, type, name number (2), value length (2)
constexpr uint16_t kNamesChunk = 0x80;
constexpr uint16_t kLastSetChunk = 0x02;
constexpr const char* kDescription = "Description";
constexpr const char* kResultType = "ResultType";

uint32_t u16(const unsigned char* p) { return uint32_t{p[0]} | uint32_t{p[1]} << 8; }
uint32_t u32(const unsigned char* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

// What a property name means to the reader; every entry names its
// property by position in the names chunk.
enum class Property : uint8_t { Other, Description, ResultType };

std::vector<Property> readNames(MdbHandle* mdb, const unsigned char* data, size_t size) {
    std::vector<Property> names;
    for (size_t pos = 0; pos < size;) {
        if (size - pos < 2) throw UnreadableDatabase("name list");
        size_t length = u16(data + pos);
        pos += 2;
        if (length > size - pos) throw UnreadableDatabase("name length");
        names.push_back(mdbTextIs(mdb, data + pos, length, kDescription)  ? Property::Description
                        : mdbTextIs(mdb, data + pos, length, kResultType) ? Property::ResultType
                                                                          : Property::Other);
        pos += length;
    }
    return names;
}

void readSet(MdbHandle* mdb, const std::vector<Property>& names, const unsigned char* data, size_t size,
             Descriptions& out) {
    if (size < kSetHeader) throw UnreadableDatabase("set header");
    size_t nameLength = u16(data + 4);
    if (nameLength > size - kSetHeader) throw UnreadableDatabase("set name");
    // Most sets hold neither property: their name, and the one description
    // that counts, the last, are converted only when one is found.
    const unsigned char* setName = data + kSetHeader;
    std::optional<uint8_t> resultType;
    const unsigned char* description = nullptr;
    size_t descriptionLength = 0;
    for (size_t pos = kSetHeader + nameLength; pos < size;) {
        if (size - pos < kEntryHeader) throw UnreadableDatabase("entry header");
        size_t length = u16(data + pos);
        uint8_t type = data[pos + 3];
        size_t name = u16(data + pos + 4);
        size_t valueLength = u16(data + pos + 6);
        if (length < kEntryHeader || length > size - pos || valueLength > length - kEntryHeader ||
            name >= names.size()) {
            throw UnreadableDatabase("entry");
        }
        if (names[name] == Property::ResultType && type == MDB_BYTE && valueLength == 1) {
            resultType = data[pos + kEntryHeader];
        }
        if (names[name] == Property::Description && (type == MDB_TEXT || type == MDB_MEMO)) {
            description = data + pos + kEntryHeader;
            descriptionLength = valueLength;
        }
        pos += length;
    }
    if (!resultType && !description) return;
    const std::string_view setNameText = mdbTextView(mdb, setName, nameLength);
    if (setNameText.empty()) {
        if (description) out.table = mdbText(mdb, description, descriptionLength);
        return;
    }
    ColumnProperties& columns = out.columns;
    ColumnProperty& column = columns.columns.emplace_back();
    column.nameOffset = static_cast<uint32_t>(columns.text.size());
    column.nameLength = static_cast<uint32_t>(setNameText.size());
    column.resultType = resultType;
    columns.text += setNameText;
    if (description) {
        const std::string_view descriptionText = mdbTextView(mdb, description, descriptionLength);
        column.hasDescription = true;
        column.descriptionOffset = static_cast<uint32_t>(columns.text.size());
        column.descriptionLength = static_cast<uint32_t>(descriptionText.size());
        columns.text += descriptionText;
    }
}

}  // namespace

Descriptions readDescriptions(MdbHandle* mdb, const unsigned char* blob, size_t size) {
    if (size < 4 || (std::memcmp(blob, "KKD", 4) != 0 && std::memcmp(blob, "MR2", 4) != 0)) {
        throw UnreadableDatabase("signature");
    }
    Descriptions out;
    std::vector<Property> names;
    for (size_t pos = 4; pos < size;) {
        if (size - pos < kChunkHeader) throw UnreadableDatabase("chunk header");
        size_t length = u32(blob + pos);
        uint16_t type = static_cast<uint16_t>(u16(blob + pos + 4));
        if (length < kChunkHeader || length > size - pos) throw UnreadableDatabase("chunk length");
        const unsigned char* data = blob + pos + kChunkHeader;
        if (type == kNamesChunk) {
            names = readNames(mdb, data, length - kChunkHeader);
        } else if (type <= kLastSetChunk) {
            readSet(mdb, names, data, length - kChunkHeader, out);
        }
        pos += length;
    }
    return out;
}

}  // namespace speclore::jet::reader
