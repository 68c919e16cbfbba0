#include "xlsx/DeflatedPart.h"

#include <isa-l/crc.h>
#include <isa-l/igzip_lib.h>

#include <algorithm>
#include <new>
#include <vector>

#include "app/Invariant.h"
#include "workbook/WorkbookError.h"

namespace speclore::xlsx {

namespace {

// Level 1 finds repeats, which cell tables are full of; level 0 barely does.
constexpr uint32_t kLevel = 1;
// The output grows by this much, or by half, whenever it is nearly full.
constexpr size_t kOutputStep = 64 * 1024;

}  // namespace

struct DeflatedPart::Stream {
    isal_zstream state;
    std::vector<uint8_t> levelBuffer = std::vector<uint8_t>(ISAL_DEF_LVL1_DEFAULT);
};

DeflatedPart::DeflatedPart() {
    try {
        stream_ = std::make_unique<Stream>();
    } catch (const std::bad_alloc&) {
        workbook::throwInvalidArgument("メモリが足りません");
    }
    isal_zstream& state = stream_->state;
    isal_deflate_init(&state);
    state.level = kLevel;
    state.level_buf = stream_->levelBuffer.data();
    state.level_buf_size = static_cast<uint32_t>(stream_->levelBuffer.size());
    state.gzip_flag = IGZIP_DEFLATE;
    state.flush = NO_FLUSH;
}

DeflatedPart::DeflatedPart(std::string_view text) : DeflatedPart() {
    append(text);
    finish();
}

DeflatedPart::DeflatedPart(DeflatedPart&&) noexcept = default;
DeflatedPart& DeflatedPart::operator=(DeflatedPart&&) noexcept = default;
DeflatedPart::~DeflatedPart() = default;

void DeflatedPart::append(std::string_view text) {
    SPECLORE_INVARIANT(stream_);
    if (text.empty()) return;
    crc_ = crc32_gzip_refl(crc_, reinterpret_cast<const unsigned char*>(text.data()), text.size());
    size_ += text.size();
    deflate(text, false);
}

void DeflatedPart::finish() {
    SPECLORE_INVARIANT(stream_);
    deflate({}, true);
    bytes_.resize(packed_);
    bytes_.shrink_to_fit();
    stream_.reset();
}

void DeflatedPart::deflate(std::string_view text, bool last) {
    isal_zstream& state = stream_->state;
    // The stream counts its input in 32 bits.
    size_t taken = 0;
    do {
        const size_t piece = std::min<size_t>(text.size() - taken, UINT32_MAX);
        state.next_in = reinterpret_cast<uint8_t*>(const_cast<char*>(text.data() + taken));
        state.avail_in = static_cast<uint32_t>(piece);
        taken += piece;
        state.end_of_stream = last && taken == text.size() ? 1 : 0;
        // Until the piece is taken, and at the end until the stream is closed.
        while (state.avail_in > 0 || (state.end_of_stream && state.internal_state.state != ZSTATE_END)) {
            if (bytes_.size() - packed_ < kOutputStep / 4)
                bytes_.resize(bytes_.size() + std::max(kOutputStep, bytes_.size() / 2));
            state.next_out = reinterpret_cast<uint8_t*>(bytes_.data() + packed_);
            state.avail_out = static_cast<uint32_t>(std::min<size_t>(bytes_.size() - packed_, UINT32_MAX));
            const uint32_t room = state.avail_out;
            const int status = isal_deflate(&state);
            packed_ += room - state.avail_out;
            if (status != COMP_OK) workbook::throwInvalidArgument("ブックの部品を圧縮できません");
        }
    } while (taken < text.size());
}

}  // namespace speclore::xlsx
