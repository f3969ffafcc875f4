// chimewick-choose: the part chooser. With options it makes ringtones without a window.
#include <string>
#include <vector>

#include "chooser/Choosecommandline.h"

int main(int argc, char** argv) {
    return RunChooseCommandLine(std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc));
}
