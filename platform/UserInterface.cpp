#include "platform/UserInterface.h"

namespace platform {
namespace {

class SilentUserInterface final : public UserInterface {
public:
    void ShowInformation(const std::string&) override {}
    bool Confirm(const std::string&) override { return false; }
    void ShowApplicationError(const std::string&) override {}
    void ShowProgress() override { position_ = 0; }
    void HideProgress() override {}
    int ProgressPosition() const override { return position_; }
    void SetProgressPosition(int position) override { position_ = position; }
    void ProcessMessages() override {}
    bool CancelRequested() const override { return false; }

private:
    int position_ = 0;
};

SilentUserInterface silent;
UserInterface* current = &silent;

}  // namespace

UserInterface& Ui() { return *current; }

UserInterface* InstallUi(UserInterface* ui) {
    UserInterface* previous = current;
    current = ui ? ui : &silent;
    return previous == &silent ? nullptr : previous;
}

}  // namespace platform
