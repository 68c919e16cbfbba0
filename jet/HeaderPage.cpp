#include "jet/HeaderPage.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "jet/Rc4.h"

namespace speclore::jet {

namespace {

constexpr size_t kSignatureOffset = 4;
constexpr std::array<char, 16> kJetSignature = {'S', 't', 'a', 'n', 'd', 'a', 'r', 'd',
                                                ' ', 'J', 'e', 't', ' ', 'D', 'B', '\0'};
constexpr std::array<char, 16> kAceSignature = {'S', 't', 'a', 'n', 'd', 'a', 'r', 'd',
                                                ' ', 'A', 'C', 'E', ' ', 'D', 'B', '\0'};
constexpr size_t kVersionOffset = 0x14;
constexpr size_t kMaskOffset = 0x18;
constexpr size_t kCodePageOffset = 0x3C;

// Jet 3 masks 126 bytes, Jet 4 and ACE 128.
size_t maskLength(JetFormat format) { return format == JetFormat::Jet3 ? 126 : 128; }

const std::vector<uint8_t>& headerMask() {
    static const std::vector<uint8_t> mask = [] {
        const std::array<uint8_t, 4> key = {0xC7, 0xDA, 0x39, 0x6B};
        return Rc4(key).keyStream(128);
    }();
    return mask;
}

bool hasSignature(std::span<const uint8_t> start, const std::array<char, 16>& signature) {
    return std::memcmp(start.data() + kSignatureOffset, signature.data(), signature.size()) == 0;
}

std::optional<JetFormat> formatOf(std::span<const uint8_t> start) {
    if (start.size() <= kVersionOffset) return std::nullopt;
    uint8_t version = start[kVersionOffset];
    if (hasSignature(start, kJetSignature)) {
        if (version == 0) return JetFormat::Jet3;
        if (version == 1) return JetFormat::Jet4;
        return std::nullopt;
    }
    // ACE 12 (2007) to ACE 17 (2019) write versions 2 to 6.
    if (hasSignature(start, kAceSignature) && version >= 2 && version <= 6) return JetFormat::Ace;
    return std::nullopt;
}

uint32_t readUint(const std::vector<uint8_t>& bytes, size_t offset, size_t width) {
    if (offset + width > bytes.size()) return 0;
    uint32_t value = 0;
    for (size_t n = 0; n < width; ++n) value |= static_cast<uint32_t>(bytes[offset + n]) << (8 * n);
    return value;
}

}  // namespace

uint32_t pageSizeOf(JetFormat format) { return format == JetFormat::Jet3 ? 2048 : 4096; }

uint16_t HeaderPage::codePage() const { return static_cast<uint16_t>(readUint(bytes, kCodePageOffset, 2)); }

std::optional<HeaderPage> parseHeaderPage(std::span<const uint8_t> start) {
    auto format = formatOf(start);
    if (!format) return std::nullopt;
    HeaderPage page{*format, std::vector<uint8_t>(start.begin(), start.end())};
    const auto& mask = headerMask();
    size_t end = std::min(page.bytes.size(), kMaskOffset + maskLength(*format));
    for (size_t n = kMaskOffset; n < end; ++n) page.bytes[n] ^= mask[n - kMaskOffset];
    return page;
}

}  // namespace speclore::jet
