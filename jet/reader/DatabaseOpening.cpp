#include "jet/reader/DatabaseOpening.h"

#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <string>

#include "jet/crypt/DatabaseUnlock.h"

namespace speclore::jet::reader {

namespace {

constexpr std::array<char, 16> kAceSignature = {'S', 't', 'a', 'n', 'd', 'a', 'r', 'd',
                                                ' ', 'A', 'C', 'E', ' ', 'D', 'B', '\0'};
constexpr size_t kSignatureOffset = 4;
constexpr size_t kEncodingKeyOffset = 0x3E;
// Access's passwords have at most 20 characters; anything longer than this
// is not a password worth reading.
constexpr size_t kMaxPasswordBytes = 4096;

std::string passwordFromStandardInput() {
    std::string password;
    char buffer[512];
    for (;;) {
        ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        password.append(buffer, static_cast<size_t>(n));
        if (password.size() > kMaxPasswordBytes) break;
    }
    return password;
}

}  // namespace

bool isEncryptedAce(std::span<const uint8_t> start) {
    return start.size() >= crypt::kAcePageSize &&
           std::memcmp(start.data() + kSignatureOffset, kAceSignature.data(), kAceSignature.size()) == 0 &&
           crypt::encodingKeyOf(start) != 0;
}

void clearEncodingKey(std::span<uint8_t> headerPage) {
    // The key is stored masked: the mask's own bytes read back as key 0.
    const uint32_t key = crypt::encodingKeyOf(headerPage);
    for (size_t n = 0; n < 4; ++n) headerPage[kEncodingKeyOffset + n] ^= static_cast<uint8_t>(key >> (8 * n));
}

std::unique_ptr<crypt::PageDecryptor> unlockDatabaseFile(int fd) {
    std::array<uint8_t, crypt::kAcePageSize> page{};
    size_t got = 0;
    while (got < page.size()) {
        ssize_t n = ::pread(fd, page.data() + got, page.size() - got, static_cast<off_t>(got));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        got += static_cast<size_t>(n);
    }
    if (!isEncryptedAce(std::span(page.data(), got))) return nullptr;
    return crypt::unlockDatabase(page, passwordFromStandardInput());
}

}  // namespace speclore::jet::reader
