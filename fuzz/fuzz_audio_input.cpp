// Opens the input as every kind the front end reads (sniffed, raw PCM, MPEG Layer III) and
// reads it to its end, straight from memory. A bad input may end the run, never the process.
#include <cstdint>
#include <cstdio>

#include "frontend/FatalInputError.h"
#include "frontend/get_audio.h"
#include "frontend/settings.h"

using namespace frontend;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    int wide[2][kFrameSamples];
    short narrow[2][kFrameSamples];
    for (InputKind kind : {InputKind::Unknown, InputKind::RawPcm, InputKind::MpegLayer3}) {
        // Read only: fmemopen takes a writable pointer but a "rb" stream never writes.
        std::FILE* input = fmemopen(const_cast<std::uint8_t*>(data), size, "rb");
        if (input == nullptr) {
            return 0;
        }
        ResetSettingsForParse();
        settings.quietLevel = kQuietLevelSilent;
        settings.inputKind = kind;
        settings.inputBitWidth = 8 * (1 + static_cast<int>(size % 4));
        lame_global_flags* gfp = lame_init();
        try {
            OpenAudioInputStream(gfp, input, "fuzz input");
            while (size % 2 ? ReadAudioFrame(gfp, wide) > 0 : ReadAudioFrame16(gfp, narrow) > 0) {
            }
            CloseAudioInput();
        } catch (const FatalInputError&) {
        }
        lame_close(gfp);
    }
    return 0;
}
