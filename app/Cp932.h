// Conversion between the program's UTF-8 text and code page 932, the
// multi-byte code page of the Japanese systems whose files we read and write
// (settings file, cipher library, path widths).
#pragma once

#include <string>
#include <string_view>

namespace speclore {

// Characters without a CP932 form become "?", as Windows' conversion does.
std::string utf8ToCp932(std::string_view utf8);
// Bytes that are not valid CP932 become U+30FB ("・").
std::string cp932ToUtf8(std::string_view cp932);

}  // namespace speclore
