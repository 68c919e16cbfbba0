// Encodes any key and plaintext (null pointers included) into an output
// buffer of exactly the documented result size, and checks that the text
// form decodes back to the plaintext. Key and text live in buffers of their
// exact length, so any read past a NUL is caught.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstring>
#include <memory>
#include <string>

#include "blowfish/BlowFishExports.h"

using namespace speclore::blowfish;

namespace {

std::unique_ptr<char[]> exactCopy(const std::string& text) {
    auto copy = std::make_unique<char[]>(text.size() + 1);
    std::memcpy(copy.get(), text.c_str(), text.size() + 1);
    return copy;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    const bool nullKey = input.ConsumeBool();
    const bool nullText = input.ConsumeBool();
    const std::string key = input.ConsumeRandomLengthString(kMaxKeyLength + 40);
    const std::string text = input.ConsumeRemainingBytesAsString();

    const auto keyCopy = exactCopy(key);
    const auto textCopy = exactCopy(text);
    const char* keyArg = nullKey ? nullptr : keyCopy.get();
    const char* textArg = nullText ? nullptr : textCopy.get();

    const std::size_t keyLength = nullKey ? 0 : std::strlen(keyCopy.get());
    const std::size_t plainLength = nullText ? 0 : std::strlen(textCopy.get());
    const bool fits = keyLength <= kMaxKeyLength && plainLength <= kMaxPlainLength;
    const std::size_t formLength = fits ? (plainLength + 7) / 8 * 13 : 0;

    auto form = std::make_unique<char[]>(formLength + 1);
    const int32_t encoded = BlowFishEncode(keyArg, textArg, form.get());
    if (encoded != (fits ? 1 : 0) || std::strlen(form.get()) != formLength) __builtin_trap();
    if (!fits) return 0;

    auto plain = std::make_unique<char[]>(plainLength + 1);
    if (BlowFishDecode(keyArg, form.get(), plain.get()) != 1) __builtin_trap();
    if (std::strcmp(plain.get(), textArg == nullptr ? "" : textArg) != 0) __builtin_trap();
    return 0;
}
