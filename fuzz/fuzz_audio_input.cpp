// Opens the input as every kind the front end reads (sniffed, raw PCM, MPEG Layer III) and
// reads it to its end. A bad input may end the run, never the process.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "frontend/FatalInputError.h"
#include "frontend/get_audio.h"
#include "frontend/settings.h"

using namespace frontend;
static const std::string path = "/tmp/fuzz_audio_input." + std::to_string(getpid());

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const int removeAtExit = std::atexit([] { unlink(path.c_str()); });
    std::FILE* f = std::fopen(path.c_str(), "wb");
    std::fwrite(data, 1, size, f);
    std::fclose(f);
    int wide[2][kFrameSamples];
    short narrow[2][kFrameSamples];
    for (InputKind kind : {InputKind::Unknown, InputKind::RawPcm, InputKind::MpegLayer3}) {
        ResetSettingsForParse();
        settings.quietLevel = 10;
        settings.inputKind = kind;
        settings.inputBitWidth = 8 * (1 + static_cast<int>(size % 4));
        lame_global_flags* gfp = lame_init();
        try {
            OpenAudioInput(gfp, path);
            while (size % 2 ? ReadAudioFrame(gfp, wide) > 0 : ReadAudioFrame16(gfp, narrow) > 0) {
            }
            CloseAudioInput();
        } catch (const FatalInputError&) {
        }
        lame_close(gfp);
    }
    return removeAtExit;  // 0: the clean-up is registered
}
