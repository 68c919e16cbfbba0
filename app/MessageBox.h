// Every message box of the program goes through this one interface: the text
// and the style in, the answer out. The title is always the application
// title. The windowed program installs a Qt box, the headless companion one
// that writes to standard error, and tests a recording one.
#pragma once

#include <string>

namespace speclore {

// Message box styles, with the values the windows have always used.
enum MsgBoxStyle : int {
    vbCritical = 16,       // stop icon, OK
    vbYesNoQuestion = 36,  // question icon, Yes and No, Yes preselected
    vbExclamation = 48,    // exclamation icon, OK
    vbInformation = 64,    // information icon, OK
};

enum class MsgBoxAnswer { Ok, Yes, No };

class MessageBoxService {
public:
    virtual ~MessageBoxService() = default;
    // Shows a modal box and returns when the person has answered it.
    virtual MsgBoxAnswer show(const std::string& text, int style) = 0;
};

// The application title: the title of every message box.
inline constexpr const char* kApplicationTitle = "Morvane";

// Installs the service that MsgBox uses from now on (not owned). Passing
// nullptr goes back to the standard-error service.
void installMessageBoxService(MessageBoxService* service);

// Shows a box through the installed service.
MsgBoxAnswer MsgBox(const std::string& text, int style);

// Writes each box to standard error, answering Yes to questions: the service
// of the headless companion, and the fallback before a window exists.
class StderrMessageBoxService : public MessageBoxService {
public:
    MsgBoxAnswer show(const std::string& text, int style) override;
};

}  // namespace speclore
