#include "tests/support/RecordingUserInterface.h"

namespace testing_support {

void RecordingUserInterface::ShowInformation(const std::string& text) {
    messages.push_back({"Information", text});
}

bool RecordingUserInterface::Confirm(const std::string& text) {
    messages.push_back({"Confirm", text});
    if (confirmAnswers.empty()) {
        return false;
    }
    bool answer = confirmAnswers.front();
    confirmAnswers.pop_front();
    return answer;
}

void RecordingUserInterface::ShowApplicationError(const std::string& text) {
    messages.push_back({"Chimewick", text});
}

void RecordingUserInterface::ShowProgress() {
    ++showCount;
    visible = true;
    cancelFlag = false;
    if (progressDelegate) {
        progressDelegate->ShowProgress();
    }
}

void RecordingUserInterface::HideProgress() {
    ++hideCount;
    visible = false;
    if (progressDelegate) {
        progressDelegate->HideProgress();
    }
}

int RecordingUserInterface::ProgressPosition() const {
    return progressDelegate ? progressDelegate->ProgressPosition() : position_;
}

void RecordingUserInterface::SetProgressPosition(int position) {
    positions.push_back(position);
    position_ = position;
    if (progressDelegate) {
        progressDelegate->SetProgressPosition(position);
    }
}

void RecordingUserInterface::ProcessMessages() {
    ++processCount;
    if (onProcessMessages) {
        onProcessMessages(processCount);
    }
    if (progressDelegate) {
        progressDelegate->ProcessMessages();
    }
}

bool RecordingUserInterface::CancelRequested() const {
    return progressDelegate ? progressDelegate->CancelRequested() : cancelFlag;
}

std::vector<std::string> RecordingUserInterface::Texts() const {
    std::vector<std::string> texts;
    for (const auto& m : messages) {
        texts.push_back(m.text);
    }
    return texts;
}

}  // namespace testing_support
