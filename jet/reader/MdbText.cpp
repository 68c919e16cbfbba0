#include "jet/reader/MdbText.h"

#include <algorithm>
#include <vector>

namespace speclore::jet::reader {

std::string mdbText(MdbHandle* mdb, const unsigned char* bytes, size_t size) {
    // Each byte in becomes at most three bytes of UTF-8. Every name and
    // description passes here, so the buffer is kept from one to the next.
    static std::vector<char> converted;
    if (converted.size() < 3 * size + 1) converted.resize(3 * size + 1);
    int written = mdb_unicode2ascii(mdb, reinterpret_cast<const char*>(bytes), size, converted.data(),
                                    converted.size());
    if (written <= 0) return {};
    return std::string(converted.data(), std::min(static_cast<size_t>(written), converted.size() - 1));
}

}  // namespace speclore::jet::reader
