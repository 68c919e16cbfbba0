#include "xlsx/DeflatedPart.h"

#include <libdeflate.h>

#include <algorithm>
#include <memory>

#include "workbook/WorkbookError.h"

namespace speclore::xlsx {

namespace {

// Parts are XML; deflating them fast matters more than the last percent of
// size, since a catalog sheet can run to tens of megabytes.
constexpr int kDeflateLevel = 1;

struct CompressorCloser {
    void operator()(libdeflate_compressor* compressor) const { libdeflate_free_compressor(compressor); }
};

}  // namespace

DeflatedPart::DeflatedPart(std::string_view text) : size_(text.size()) {
    std::unique_ptr<libdeflate_compressor, CompressorCloser> compressor(
        libdeflate_alloc_compressor(kDeflateLevel));
    if (!compressor) workbook::throwInvalidArgument("メモリが足りません");
    crc_ = libdeflate_crc32(0, text.data(), text.size());
    // Cell tables deflate to a tenth or less, so a quarter of the text is
    // room enough without holding a second copy of its size; only a part
    // that does not fit is deflated again into the most it can take.
    const size_t bound = libdeflate_deflate_compress_bound(compressor.get(), text.size());
    size_t packed = 0;
    for (size_t room : {std::min(bound, text.size() / 4 + 4096), bound}) {
        bytes_.resize(room);
        packed = libdeflate_deflate_compress(compressor.get(), text.data(), text.size(), bytes_.data(), room);
        if (packed != 0 || room == bound) break;
    }
    if (packed == 0) workbook::throwInvalidArgument("ブックの部品を圧縮できません");
    bytes_.resize(packed);
    bytes_.shrink_to_fit();
}

}  // namespace speclore::xlsx
