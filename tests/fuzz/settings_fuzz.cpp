// Any bytes as a settings file: reading never fails, and a value written is
// the value read back, whatever else the file holds.
#include <cstddef>
#include <cstdint>
#include <string>

#include "app/ProfileDocument.h"

using speclore::ProfileDocument;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string bytes(reinterpret_cast<const char*>(data), size);
    ProfileDocument document(bytes);
    (void)document.value("INITIAL", "MDBFILE");
    (void)document.value("カタログ", "ctTitleA");

    // Names taken from the input reach the matching and quoting rules too.
    std::string name = bytes.substr(0, bytes.find('\n')).substr(0, 16);
    (void)document.value(name, name);

    const bool utf16 = bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF");
    if (document.setValue("INITIAL", "MDBFILE", "written value") != !utf16) __builtin_trap();
    if (!utf16 && document.value("initial", "mdbfile") != "written value") __builtin_trap();
    if (!utf16 && document.setValue("新しい節", "項目", "値") && document.value("新しい節", "項目") != "値")
        __builtin_trap();
    return 0;
}
