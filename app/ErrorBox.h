// The error message box and the error trap convention.
//
// Every procedure runs its body through `trap`: a failure inside is reported
// once, under the procedure's tag, and the procedure returns its default
// result to a caller that carries on.
#pragma once

#include <string>
#include <string_view>
#include <utility>

#include "app/AppError.h"

namespace speclore {

// Names the failing procedure in the error box.
class ProcTag {
public:
    // A full tag such as "fMain-CreateCatalog"; reported through the common
    // box, which passes over error 2501 silently.
    static ProcTag common(std::string fullTag);
    // A module's private copy of the box ("mPrivateProfile", "GetIniValue"):
    // it puts the module in front itself and shows every error, 2501 too.
    static ProcTag moduleCopy(std::string_view module, std::string_view procedure);

    const std::string& text() const { return text_; }
    bool showsCancelled() const { return showsCancelled_; }

private:
    ProcTag(std::string text, bool showsCancelled)
        : text_(std::move(text)), showsCancelled_(showsCancelled) {}
    std::string text_;
    bool showsCancelled_;
};

// The message the box shows: "ｴﾗｰNo. n  【tag】", a blank line, the text,
// and the error's reason on a line of its own when there is one.
std::string errorBoxMessage(int32_t number, const std::string& tagText, const std::string& reason = {});

// Shows the error box for the error (style 16), unless the tag's routine
// passes over this number.
void ErrMsgBox(const AppError& error, const ProcTag& tag);
// The common routine with a full tag.
void ErrMsgBox(const AppError& error, const std::string& fullTag);

// Runs body(); any failure is reported under the tag and `fallback` is
// returned instead.
template <class R, class Body>
R trap(const ProcTag& tag, R fallback, Body&& body) {
    try {
        return std::forward<Body>(body)();
    } catch (...) {
        ErrMsgBox(currentErrorAsAppError(), tag);
        return fallback;
    }
}

// The same for a procedure without a result; true when the body finished.
template <class Body>
bool trap(const ProcTag& tag, Body&& body) {
    try {
        std::forward<Body>(body)();
        return true;
    } catch (...) {
        ErrMsgBox(currentErrorAsAppError(), tag);
        return false;
    }
}

// Runs a clean-up step after a failure that has been reported already: the
// steps after it go ahead even when this one fails, and nothing more is
// reported.
template <class Step>
void ignoringFailures(Step&& step) noexcept {
    try {
        std::forward<Step>(step)();
    } catch (...) {}
}

}  // namespace speclore
