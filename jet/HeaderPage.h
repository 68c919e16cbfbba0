// Page 0 of a Jet 3, Jet 4 or ACE database: the format signature and
// version, and the region that Jet keeps masked (the page-encryption key,
// the code page, the database password and the creation date).
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "jet/DatabaseFileCheck.h"

namespace speclore::jet {

// Bytes of page 0 that the header checks need: the signature, the version
// and the whole masked region.
inline constexpr size_t kHeaderBytesNeeded = 0x18 + 128;

// Page size of each format: 2048 bytes in Jet 3, 4096 in Jet 4 and ACE.
uint32_t pageSizeOf(JetFormat format);

struct HeaderPage {
    JetFormat format = JetFormat::Jet4;
    // The bytes read from the start of the file, with the mask removed.
    std::vector<uint8_t> bytes;

    // Code page of the database's text (Jet 3 stores its password in it).
    uint16_t codePage() const;
};

// Reads the signature ("Standard Jet DB" or "Standard ACE DB" at offset 4)
// and the version byte at 0x14, and removes the header mask from whatever
// part of the masked region `start` holds. Nothing when the bytes are not
// the start of a database that we know.
std::optional<HeaderPage> parseHeaderPage(std::span<const uint8_t> start);

}  // namespace speclore::jet
