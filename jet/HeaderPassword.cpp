#include "jet/HeaderPassword.h"

#include <iconv.h>

#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>

namespace speclore::jet {

namespace {

constexpr size_t kPasswordOffset = 0x42;
constexpr size_t kCreationDateOffset = 0x72;

size_t passwordFieldLength(JetFormat format) { return format == JetFormat::Jet3 ? 20 : 40; }

// The integer part of the creation date (an OLE date, days since
// 1899-12-30) as a 32-bit integer, cut toward zero. A damaged date saturates
// instead of overflowing, as the Java writers of these files do.
int32_t creationDay(const HeaderPage& header) {
    if (header.bytes.size() < kCreationDateOffset + 8) return 0;
    uint64_t raw = 0;
    for (size_t n = 0; n < 8; ++n)
        raw |= static_cast<uint64_t>(header.bytes[kCreationDateOffset + n]) << (8 * n);
    double date = std::bit_cast<double>(raw);
    if (std::isnan(date)) return 0;
    if (date >= 2147483647.0) return std::numeric_limits<int32_t>::max();
    if (date <= -2147483648.0) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(date);
}

// Converts without replacing anything; nothing when a character has no form
// in the target encoding.
std::optional<std::string> convertExactly(const std::string& text, const char* to, const char* from) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
    std::string out(text.size() * 4 + 8, '\0');
    char* in = const_cast<char*>(text.data());
    size_t inLeft = text.size();
    char* outPtr = out.data();
    size_t outLeft = out.size();
    size_t rc = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
    iconv_close(cd);
    if (rc == static_cast<size_t>(-1) || inLeft != 0) return std::nullopt;
    out.resize(out.size() - outLeft);
    return out;
}

std::optional<std::string> encodeForHeader(const HeaderPage& header, const std::string& utf8) {
    if (header.format != JetFormat::Jet3) return convertExactly(utf8, "UTF-16LE", "UTF-8");
    // A header without a code page is read as the reader reads the
    // database's text then: in code page 932, the system code page of the
    // machines the program is made for.
    const uint16_t number = header.codePage() == 0 ? 932 : header.codePage();
    std::string codePage = "CP" + std::to_string(number);
    if (auto encoded = convertExactly(utf8, codePage.c_str(), "UTF-8")) return encoded;
    // A code page that iconv does not know: plain ASCII still compares.
    return utf8;
}

}  // namespace

std::string storedPassword(const HeaderPage& header) {
    if (header.format == JetFormat::Ace) return {};
    size_t length = passwordFieldLength(header.format);
    if (header.bytes.size() < kPasswordOffset + length) return {};
    const auto start = header.bytes.begin() + static_cast<std::ptrdiff_t>(kPasswordOffset);
    std::string field(start, start + static_cast<std::ptrdiff_t>(length));
    if (header.format == JetFormat::Jet3) return field.substr(0, field.find('\0'));

    auto day = static_cast<uint32_t>(creationDay(header));
    for (size_t n = 0; n < field.size(); ++n)
        field[n] = static_cast<char>(static_cast<uint8_t>(field[n]) ^ ((day >> (8 * (n % 4))) & 0xFF));
    size_t end = 0;
    while (end + 1 < field.size() && (field[end] != '\0' || field[end + 1] != '\0')) end += 2;
    return field.substr(0, end);
}

bool passwordMatches(const HeaderPage& header, const std::string& utf8Password) {
    auto encoded = encodeForHeader(header, utf8Password);
    return encoded && *encoded == storedPassword(header);
}

}  // namespace speclore::jet
