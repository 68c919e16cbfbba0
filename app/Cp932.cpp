#include "app/Cp932.h"

#include <iconv.h>

#include <cerrno>

#include "app/AppError.h"

namespace speclore {

namespace {

// One iconv conversion, replacing what cannot be converted and going on.
// A bad sequence drops one character: a whole UTF-8 sequence when `utf8Input`,
// otherwise one byte.
std::string convert(const char* to, const char* from, std::string_view input, std::string_view replacement,
                    bool utf8Input) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) throw AppError(err::InvalidProcedureCall);
    std::string out;
    out.reserve(input.size() * 2 + 8);
    char* in = const_cast<char*>(input.data());
    size_t inLeft = input.size();
    char buffer[1024];
    while (inLeft > 0) {
        char* outPtr = buffer;
        size_t outLeft = sizeof buffer;
        size_t rc = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
        out.append(buffer, outPtr);
        if (rc != static_cast<size_t>(-1)) continue;
        if (errno == E2BIG) continue;
        // EILSEQ or EINVAL: skip one character (a whole UTF-8 sequence, or one
        // CP932 byte) and put the replacement in its place.
        size_t skip = 1;
        if (utf8Input) {
            unsigned char lead = static_cast<unsigned char>(*in);
            skip = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
            if (skip > inLeft) skip = inLeft;
        }
        in += skip;
        inLeft -= skip;
        out.append(replacement);
    }
    iconv_close(cd);
    return out;
}

}  // namespace

std::string utf8ToCp932(std::string_view utf8) { return convert("CP932", "UTF-8", utf8, "?", true); }

std::string cp932ToUtf8(std::string_view cp932) {
    return convert("UTF-8", "CP932", cp932, "\xE3\x83\xBB", false);
}

}  // namespace speclore
