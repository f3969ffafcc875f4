#pragma once
// A user interface that shows nothing: it keeps the messages a reader would show, so the
// window can say them in place, and it never cancels. Installed (platform::ScopedUi) around
// the pipeline's readers when they run for the window rather than for a ringtone.

#include <string>

#include "platform/UserInterface.h"

namespace chooser {

class CollectingUi : public platform::UserInterface {
public:
    void ShowInformation(const std::string& text) override { Add(text); }
    bool Confirm(const std::string&) override { return false; }
    void ShowApplicationError(const std::string& text) override { Add(text); }
    void ShowProgress() override {}
    void HideProgress() override {}
    int ProgressPosition() const override { return 0; }
    void SetProgressPosition(int) override {}
    void ProcessMessages() override {}
    bool CancelRequested() const override { return false; }
    std::string messages;

private:
    void Add(const std::string& text) { messages += (messages.empty() ? "" : "\n") + text; }
};

}  // namespace chooser
