// The encryption header of an untrusted ACE database's page 0: parsing the
// binary headers and the Agile XML descriptor, the password check against
// the verifier and the decryption of a page must cope with any bytes. The
// spin count is capped low here so that each input stays quick; the cap
// itself is checked by the engine's tests.
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "jet/crypt/DatabaseUnlock.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace speclore::jet::crypt;
    static std::array<uint8_t, kAcePageSize> page;
    page.fill(0);
    std::memcpy(page.data(), data, std::min(size, page.size()));
    try {
        (void)encodingKeyOf(page);
        auto decryptor = unlockDatabase(page, "password", 2000);
        std::array<uint8_t, kAcePageSize> encrypted{};
        decryptor->decrypt(1, encrypted);
    } catch (const CryptFailure&) {
        // A refusal is the expected answer to most inputs.
    }
    return 0;
}
