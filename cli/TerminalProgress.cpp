#include "cli/TerminalProgress.h"

#include <sys/ioctl.h>
#include <unistd.h>

namespace speclore::cli {

namespace {

constexpr const char* kEraseLine = "\r\x1b[K";

int terminalColumns(std::FILE* stream) {
    winsize size{};
    if (::ioctl(::fileno(stream), TIOCGWINSZ, &size) == 0 && size.ws_col > 0) return size.ws_col;
    return 80;
}

// Wide: CJK, Hangul, full-width forms; half-width katakana stays narrow.
bool isWide(char32_t c) {
    return (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0xA4CF) || (c >= 0xAC00 && c <= 0xD7A3) ||
           (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
           (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x20000 && c <= 0x3FFFD);
}

}  // namespace

std::string fitToColumns(const std::string& text, int columns) {
    int used = 0;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const auto lead = static_cast<unsigned char>(text[pos]);
        const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        char32_t c = length == 1 ? lead : static_cast<char32_t>(lead & (0x3F >> (length - 1)));
        for (std::size_t i = 1; i < length && pos + i < text.size(); ++i) {
            c = (c << 6) | (static_cast<unsigned char>(text[pos + i]) & 0x3F);
        }
        const int width = isWide(c) ? 2 : 1;
        if (used + width > columns || pos + length > text.size()) break;
        used += width;
        pos += length;
    }
    return text.substr(0, pos);
}

TerminalProgress::TerminalProgress(std::FILE* stream)
    : stream_(stream), terminal_(::isatty(::fileno(stream)) == 1) {}

void TerminalProgress::Load() {
    item_.clear();
    counter_.clear();
}

void TerminalProgress::Refresh() {
    if (!terminal_) return;
    const std::string line = phase_ + " " + counter_ + " " + item_;
    std::fprintf(stream_, "%s%s", kEraseLine, fitToColumns(line, terminalColumns(stream_) - 1).c_str());
    std::fflush(stream_);
    shown_ = true;
}

void TerminalProgress::Unload() { clearLine(); }

void TerminalProgress::clearLine() {
    if (!shown_) return;
    std::fprintf(stream_, "%s", kEraseLine);
    std::fflush(stream_);
    shown_ = false;
}

MsgBoxAnswer CliMessageBox::show(const std::string& text, int style) {
    progress_.clearLine();
    return stderrBoxes_.show(text, style);
}

}  // namespace speclore::cli
