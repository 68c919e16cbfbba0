#include "app/ErrorBox.h"

#include "app/MessageBox.h"
#include "app/StandardMessages.h"

namespace speclore {

ProcTag ProcTag::common(std::string fullTag) { return ProcTag(std::move(fullTag), false); }

ProcTag ProcTag::moduleCopy(std::string_view module, std::string_view procedure) {
    std::string text(module);
    text += '-';
    text += procedure;
    return ProcTag(std::move(text), true);
}

std::string errorBoxMessage(int32_t number, const std::string& tagText, const std::string& reason) {
    std::string message = "ｴﾗｰNo. ";
    message += std::to_string(number);
    message += "  【";
    message += tagText;
    message += "】\r\n\r\n";
    message += standardMessageText(number);
    if (!reason.empty()) {
        message += "\r\n";
        message += reason;
    }
    return message;
}

void ErrMsgBox(const AppError& error, const ProcTag& tag) {
    if (error.number() == err::ActionCancelled && !tag.showsCancelled()) return;
    MsgBox(errorBoxMessage(error.number(), tag.text(), error.reason()), vbCritical);
}

void ErrMsgBox(const AppError& error, const std::string& fullTag) {
    ErrMsgBox(error, ProcTag::common(fullTag));
}

}  // namespace speclore
