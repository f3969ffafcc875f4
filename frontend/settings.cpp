#include "frontend/settings.h"

namespace frontend {

FrontEndSettings settings;

void ResetSettingsForParse() {
    settings.quietLevel = 0;
    settings.ignoreTagErrors = 0;
    settings.showBitrateHistogram = 1;
    settings.userDecoderDelay = 0;
    settings.userDecoderDelaySet = 0;
    settings.reportClipping = 0;
    settings.noWaveHeader = 0;
    settings.inputEncoderDelay = -1;
    settings.inputEncoderPadding = -1;
}

void ResetSettingsToProcessStart() { settings = FrontEndSettings(); }

}  // namespace frontend
