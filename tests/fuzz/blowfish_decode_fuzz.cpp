// Decodes any byte string as a text form under any key into an output
// buffer of exactly the largest plaintext the form can give. Key and text
// live in buffers of their exact length, so any read past a NUL is caught.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstring>
#include <memory>
#include <string>

#include "blowfish/BlowFishExports.h"

using namespace speclore::blowfish;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    const std::string key = input.ConsumeRandomLengthString(kMaxKeyLength + 40);
    const std::string text = input.ConsumeRemainingBytesAsString();

    auto keyCopy = std::make_unique<char[]>(key.size() + 1);
    std::memcpy(keyCopy.get(), key.c_str(), key.size() + 1);
    auto textCopy = std::make_unique<char[]>(text.size() + 1);
    std::memcpy(textCopy.get(), text.c_str(), text.size() + 1);

    const std::size_t keyLength = std::strlen(keyCopy.get());
    const std::size_t formLength = std::strlen(textCopy.get());
    const bool fits = keyLength <= kMaxKeyLength && formLength <= kMaxTextFormLength;
    const std::size_t largestPlain = fits ? (formLength + 12) / 13 * 8 : 0;

    auto output = std::make_unique<char[]>(largestPlain + 1);
    const int32_t decoded = BlowFishDecode(keyCopy.get(), textCopy.get(), output.get());
    if (decoded != (fits ? 1 : 0) || std::strlen(output.get()) > largestPlain) __builtin_trap();
    return 0;
}
