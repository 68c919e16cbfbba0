// A message box service for tests: records every box and answers with the
// queued answers (OK, or Yes for questions, when the queue is empty), so a
// test can say "exactly one box, with this text and style".
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "app/MessageBox.h"

namespace speclore::testing {

struct ShownBox {
    std::string text;
    int style;
};

class RecordingMessageBox : public MessageBoxService {
public:
    RecordingMessageBox() { installMessageBoxService(this); }
    ~RecordingMessageBox() override { installMessageBoxService(nullptr); }

    MsgBoxAnswer show(const std::string& text, int style) override {
        boxes.push_back({text, style});
        if (!answers.empty()) {
            MsgBoxAnswer a = answers.front();
            answers.pop_front();
            return a;
        }
        return style == vbYesNoQuestion ? MsgBoxAnswer::Yes : MsgBoxAnswer::Ok;
    }

    std::vector<ShownBox> boxes;
    std::deque<MsgBoxAnswer> answers;
};

}  // namespace speclore::testing
