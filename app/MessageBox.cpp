#include "app/MessageBox.h"

#include <cstdio>

namespace speclore {

namespace {

StderrMessageBoxService& fallbackService() {
    static StderrMessageBoxService service;
    return service;
}

MessageBoxService* installed = nullptr;

}  // namespace

void installMessageBoxService(MessageBoxService* service) { installed = service; }

MsgBoxAnswer MsgBox(const std::string& text, int style) {
    MessageBoxService& service = installed ? *installed : fallbackService();
    return service.show(text, style);
}

MsgBoxAnswer StderrMessageBoxService::show(const std::string& text, int style) {
    std::string line;
    line.reserve(text.size());
    for (char c : text) {
        if (c != '\r') line += c;
    }
    std::fprintf(stderr, "%s\n", line.c_str());
    std::fflush(stderr);
    return style == vbYesNoQuestion ? MsgBoxAnswer::Yes : MsgBoxAnswer::Ok;
}

}  // namespace speclore
