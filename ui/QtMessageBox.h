// The message box service of the windowed program: a modal Qt message box
// titled with the application title, its icon and buttons chosen by style.
#pragma once

#include "app/MessageBox.h"

namespace speclore {

class QtMessageBoxService : public MessageBoxService {
public:
    MsgBoxAnswer show(const std::string& text, int style) override;
};

}  // namespace speclore
