#include "blowfish/BlowFishExports.h"

#include <cstring>

#include "blowfish/BlowFishContext.h"
#include "blowfish/TextForm.h"

using namespace speclore::blowfish;

// The largest text is a whole number of blocks, so encryption adds no
// padding past the buffer; the largest text form is a whole number of
// symbol groups decoding to no more than that buffer.
static_assert(kMaxPlainLength % kBlockBytes == 0);
static_assert(kMaxTextFormLength % kSymbolsPerBlock == 0);
static_assert(kMaxTextFormLength / kSymbolsPerBlock * kBlockBytes == kMaxPlainLength);

namespace {

// The key a call works with, copied into storage sized by the limit.
struct KeyCopy {
    uint8_t bytes[kMaxKeyLength];
    std::size_t length;
};

// Copies the key, or the default key for a null or empty one: the key
// schedule needs at least one byte, and the tables must never be used
// without a schedule having filled them. False when the key is too long.
bool takeKey(const char* key, KeyCopy& copy) {
    if (key == nullptr || key[0] == '\0') key = kDefaultKey;
    copy.length = strnlen(key, kMaxKeyLength + 1);
    if (copy.length > kMaxKeyLength) return false;
    std::memcpy(copy.bytes, key, copy.length);
    return true;
}

// The length of a text within `limit`, or limit + 1 when it is longer.
// Reads at most limit + 1 bytes.
std::size_t boundedLength(const char* text, std::size_t limit) {
    return text == nullptr ? 0 : strnlen(text, limit + 1);
}

int32_t refuse(char* output) {
    output[0] = '\0';
    return 0;
}

}  // namespace

extern "C" int32_t BlowFishEncode(const char* key, const char* text, char* output) {
    BlowFishContext context;
    if (!context.hasTables()) return refuse(output);
    KeyCopy keyCopy;
    if (!takeKey(key, keyCopy)) return refuse(output);
    const std::size_t n = boundedLength(text, kMaxPlainLength);
    if (n > kMaxPlainLength) return refuse(output);

    context.SetKey(keyCopy.bytes, keyCopy.length);
    uint8_t blocks[kMaxPlainLength];
    if (n > 0) std::memcpy(blocks, text, n);
    const std::size_t m = context.EncryptBuffer(blocks, blocks, n);

    char form[kMaxTextFormLength + 1];
    const std::size_t length = m / kBlockBytes * kSymbolsPerBlock;
    writeTextForm(blocks, m, form);
    form[length] = '\0';
    std::memcpy(output, form, length + 1);
    return 1;
}

extern "C" int32_t BlowFishDecode(const char* key, const char* text, char* output) {
    BlowFishContext context;
    if (!context.hasTables()) return refuse(output);
    KeyCopy keyCopy;
    if (!takeKey(key, keyCopy)) return refuse(output);
    std::size_t length = boundedLength(text, kMaxTextFormLength);
    if (length > kMaxTextFormLength) return refuse(output);

    context.SetKey(keyCopy.bytes, keyCopy.length);
    // A short last group is completed with "0"; the padded form still fits.
    char form[kMaxTextFormLength];
    if (length > 0) std::memcpy(form, text, length);
    while (length % kSymbolsPerBlock != 0) form[length++] = '0';

    uint8_t blocks[kMaxPlainLength];
    const std::size_t n = length / kSymbolsPerBlock * kBlockBytes;
    readTextForm(form, length, blocks);
    context.DecryptBuffer(blocks, blocks, n);

    // The plaintext ends at the first zero byte: the padding, or an early
    // zero that decryption yields.
    const auto* end = static_cast<const uint8_t*>(std::memchr(blocks, 0, n));
    const std::size_t plainLength = end == nullptr ? n : static_cast<std::size_t>(end - blocks);
    std::memcpy(output, blocks, plainLength);
    output[plainLength] = '\0';
    return 1;
}
