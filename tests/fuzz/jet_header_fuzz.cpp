// The header page of an untrusted file: format recognition, unmasking and
// the password comparison must cope with any bytes.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "jet/HeaderPage.h"
#include "jet/HeaderPassword.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    auto header = speclore::jet::parseHeaderPage(std::span<const uint8_t>(data, size));
    if (!header) return 0;
    (void)header->codePage();
    std::string stored = speclore::jet::storedPassword(*header);
    (void)speclore::jet::passwordMatches(*header, "s3cret");
    (void)speclore::jet::passwordMatches(*header, "秘密");
    (void)speclore::jet::passwordMatches(*header, stored);
    return 0;
}
