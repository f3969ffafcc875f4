// --preset names: the three VBR profiles, the 320 kbps constant profile, average-bitrate
// presets 8..320 with their word aliases, and the texts that explain them.

#include <cstdio>
#include <cstring>

#include "frontend/options.h"
#include "frontend/options_walk.h"

namespace frontend {
namespace {

struct Alias {
    const char* name;
    const char* bitrate;
    bool mono;
};

const Alias kAliases[] = {
    {"phone", "16", true},    {"phon+", "24", true},  {"lw", "24", true},     {"mw-eu", "24", true},
    {"sw", "24", true},       {"mw-us", "40", true},  {"voice", "56", true},  {"fm", "112", false},
    {"radio", "112", false},  {"tape", "112", false}, {"hifi", "160", false}, {"cd", "192", false},
    {"studio", "256", false},
};

void PrintInvalidProfile(const char* programName) {
    PrintVersionBanner(stderr);
    std::fprintf(stderr,
                 "Error: You did not enter a valid profile and/or options with --preset\n"
                 "\n"
                 "Available profiles are:\n"
                 "\n"
                 "   [fast] medium       variable bitrate, VBR quality 4\n"
                 "   [fast] standard     variable bitrate, VBR quality 2\n"
                 "   [fast] extreme      variable bitrate, VBR quality 0\n"
                 "          insane       constant 320 kbps (also written 320)\n"
                 "    [cbr] <kbps>       average bitrate, a whole number from 8 to 320;\n"
                 "                       with cbr the bitrate is kept constant\n"
                 "\n"
                 "   Words that stand for a bitrate: phone, phon+, lw, mw-eu, sw, mw-us,\n"
                 "   voice (these also make the output mono), fm, radio, tape, hifi, cd,\n"
                 "   studio. \"fast\" goes only with medium, standard and extreme.\n"
                 "\n");
    std::fprintf(stderr,
                 "    Some examples:\n"
                 "\n"
                 "      %s --preset standard song.wav song.mp3\n"
                 "      %s --preset fast extreme song.wav song.mp3\n"
                 "      %s --preset 128 song.wav song.mp3\n"
                 "      %s --preset cbr 192 song.wav song.mp3\n"
                 "\n"
                 "    Every profile is described by: %s --preset help\n",
                 programName, programName, programName, programName, programName);
}

void PrintBitrateOutOfRange(const char* programName) {
    PrintVersionBanner(stderr);
    std::fprintf(stderr,
                 "Error: The bitrate specified is out of the valid range for this preset\n"
                 "\n"
                 "When using this mode you must enter a value between \"32\" and \"320\"\n"
                 "\n"
                 "For further information try: \"%s --preset help\"\n",
                 programName);
}

}  // namespace

int ApplyPresetName(lame_global_flags* gfp, bool fast, bool cbr, const std::string& name,
                    const char* programName) {
    if (name == "help" && !fast && !cbr) {
        PrintVersionBanner(stdout);
        PrintPresetHelp(stdout);
        return -1;
    }
    std::string preset = name;
    bool mono = false;
    for (const auto& alias : kAliases) {
        if (preset == alias.name) {
            preset = alias.bitrate;
            mono = alias.mono;
        }
    }
    static const struct {
        const char* name;
        int quality;
    } kVbrProfiles[] = {{"medium", 4}, {"standard", 2}, {"extreme", 0}};
    for (const auto& profile : kVbrProfiles) {
        if (preset == profile.name) {
            lame_set_VBR_q(gfp, profile.quality);
            lame_set_VBR(gfp, fast ? vbr_mtrh : vbr_rh);
            return 0;
        }
    }
    if ((preset == "insane" || preset == "320") && !fast) {
        lame_set_preset(gfp, INSANE);
        return 0;
    }
    int bitrate = options_detail::ReadInt(preset.c_str());
    if (bitrate <= 0 || fast) {
        PrintInvalidProfile(programName);
        return -1;
    }
    // 8 and 16 are accepted although the message says 32: the phone and voice-grade
    // aliases need them.
    if (bitrate < 8 || bitrate > 320) {
        PrintBitrateOutOfRange(programName);
        return -1;
    }
    lame_set_preset(gfp, bitrate);
    if (cbr) {
        lame_set_VBR(gfp, vbr_off);
    }
    if (mono) {
        lame_set_mode(gfp, MONO);
    }
    return 0;
}

void PrintPresetHelp(std::FILE* out) {
    std::fprintf(out,
                 "\n"
                 "The --preset switches are designed to provide the highest possible quality.\n"
                 "\n"
                 "Each one sets a group of encoder options at once. It takes effect where it\n"
                 "stands on the command line, so options written after it can still change\n"
                 "single settings (for example --preset standard -q 0). Preset names and the\n"
                 "words fast and cbr are case-sensitive.\n"
                 "\n"
                 "Variable bitrate profiles: every frame gets the bitrate its sound needs, so\n"
                 "the quality stays even and the file size follows the music.\n"
                 "\n"
                 "   --preset medium        VBR quality 4; smaller files, good quality\n"
                 "   --preset standard      VBR quality 2; transparent for most music and\n"
                 "                          most listeners\n"
                 "   --preset extreme       VBR quality 0; for very critical listening\n"
                 "\n"
                 "   These three use the older VBR routine (as --vbr-old). Put fast before\n"
                 "   the name, as in --preset fast standard, for the newer routine\n"
                 "   (as --vbr-new).\n"
                 "\n"
                 "Constant bitrate profile:\n"
                 "\n"
                 "   --preset insane        320 kbps in every frame, the most MPEG-1 allows;\n"
                 "                          --preset 320 is the same\n"
                 "\n"
                 "Average bitrate profiles:\n"
                 "\n"
                 "   --preset <kbps>        aims at <kbps> kilobits per second averaged over\n"
                 "                          the whole file while letting single frames vary;\n"
                 "                          any whole number from 8 to 320\n"
                 "   --preset cbr <kbps>    the same tuning with the bitrate held constant\n"
                 "\n"
                 "   fast does not combine with insane, 320 or a bitrate; cbr is ignored by\n"
                 "   the VBR profiles and by insane.\n"
                 "\n"
                 "A few aliases are available for ABR mode:\n"
                 "   phone => 16 kbps, mono         phon+, lw, mw-eu, sw => 24 kbps, mono\n"
                 "   mw-us => 40 kbps, mono         voice => 56 kbps, mono\n"
                 "   fm, radio, tape => 112 kbps    hifi => 160 kbps\n"
                 "   cd => 192 kbps                 studio => 256 kbps\n");
}

}  // namespace frontend
