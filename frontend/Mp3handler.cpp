#include "frontend/Mp3handler.h"

// The conversion front end is not part of this build yet: every request fails, so an MP3
// song ends in the pipeline's "No ringtone was created." message.
bool MP3Handler::Decode(std::string, std::string) { return false; }

bool MP3Handler::Encode(std::string, std::string) { return false; }
