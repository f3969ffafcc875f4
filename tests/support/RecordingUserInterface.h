#pragma once
// A user-interface port for tests: records every message and bar position, answers
// confirmations from a script, and never blocks. Progress calls can be forwarded to a
// real implementation (the Qt one) so GUI tests see the real dialog move.

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "platform/UserInterface.h"

namespace testing_support {

struct RecordedMessage {
    std::string caption;  // "Information", "Confirm" or "Chimewick"
    std::string text;
    bool operator==(const RecordedMessage& other) const {
        return caption == other.caption && text == other.text;
    }
};

class RecordingUserInterface : public platform::UserInterface {
public:
    // Everything shown, in order.
    std::vector<RecordedMessage> messages;
    // Every position set, in order (ShowProgress does not add one).
    std::vector<int> positions;
    // Answers for Confirm, taken from the front; an empty queue answers No.
    std::deque<bool> confirmAnswers;
    int showCount = 0;
    int hideCount = 0;
    int processCount = 0;
    bool visible = false;
    // Called from ProcessMessages with the number of calls so far (1-based): a test can
    // press Cancel "during" a loop by setting cancelFlag here.
    std::function<void(int)> onProcessMessages;
    bool cancelFlag = false;

    // When set, progress, message processing and the cancel flag go to this object
    // instead (messages and confirmations are still recorded and answered here).
    platform::UserInterface* progressDelegate = nullptr;

    void ShowInformation(const std::string& text) override;
    bool Confirm(const std::string& text) override;
    void ShowApplicationError(const std::string& text) override;
    void ShowProgress() override;
    void HideProgress() override;
    int ProgressPosition() const override;
    void SetProgressPosition(int position) override;
    void ProcessMessages() override;
    bool CancelRequested() const override;

    // Texts of the messages only, for compact expectations.
    std::vector<std::string> Texts() const;

private:
    int position_ = 0;
};

}  // namespace testing_support
