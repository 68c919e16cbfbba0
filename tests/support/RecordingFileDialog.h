// A file dialog service for tests: records every request and answers with
// the queued paths ("" — a cancel — when the queue is empty).
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "app/FileDialogs.h"

namespace speclore::testing {

class RecordingFileDialog : public FileDialogService {
public:
    RecordingFileDialog() { installFileDialogService(this); }
    ~RecordingFileDialog() override { installFileDialogService(nullptr); }

    std::string show(const FileDialogRequest& request) override {
        requests.push_back(request);
        if (answers.empty()) return {};
        std::string answer = answers.front();
        answers.pop_front();
        return answer;
    }

    std::vector<FileDialogRequest> requests;
    std::deque<std::string> answers;
};

}  // namespace speclore::testing
