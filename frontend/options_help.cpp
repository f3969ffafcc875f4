// The help, long help, licence and genre-list texts. Every option the parser knows is
// described in the long help; the short help keeps to the everyday ones.

#include <cstdio>

#include "frontend/options.h"

namespace frontend {
namespace {

void PrintHelpUsage(std::FILE* out, const char* programName) {
    std::fprintf(out,
                 "usage: %s [options] <infile> [outfile]\n"
                 "\n"
                 "    <infile> and <outfile> may be \"-\" for standard input and standard\n"
                 "    output. Without <outfile> the output is <infile> with \".mp3\" added\n"
                 "    (\".wav\" with --decode): song.wav gives song.wav.mp3.\n"
                 "    More options can be given in the LAMEOPT environment variable,\n"
                 "    separated by single spaces; they are read before the command line.\n"
                 "\n",
                 programName);
}

// Lets a reader of the long help take it one screen at a time.
void SectionBreak(std::FILE* out, std::FILE* pauseInput) {
    if (pauseInput == nullptr) {
        std::fprintf(out, "\n\n");
        return;
    }
    std::fflush(out);
    (void)std::getc(pauseInput);
    std::fprintf(out, "\n");
}

void PrintPriorityParagraph(std::FILE* out) {
    std::fprintf(out,
                 "    --priority type  sets the process priority\n"
                 "                     above 3: high (needs the right to raise priority)\n"
                 "                     3: unchanged\n"
                 "                     below 3, or no number given: idle, runs only when\n"
                 "                     nothing else wants the processor\n");
}

}  // namespace

void PrintShortHelp(std::FILE* out, lame_global_flags* gfp, const char* programName) {
    PrintVersionBanner(out);
    PrintHelpUsage(out, programName);
    std::fprintf(out,
                 "OPTIONS:\n"
                 "    -b bitrate      constant bitrate in kbps; with -v or -V the lowest\n"
                 "                    bitrate a frame may use\n"
                 "    -m mode         (j)oint stereo, (s)tereo, (d)ual channel, (m)ono,\n"
                 "                    (f)orced mid/side joint stereo\n"
                 "    -V n            variable bitrate at quality n, 0 (best, biggest) to\n"
                 "                    9 (smallest); default n=%i\n"
                 "    --abr kbps      average bitrate of about kbps, from 8 to 320\n"
                 "    -q n            encoding effort, 0 (slowest, best) to 9 (fastest)\n"
                 "    -h              same as -q 2         -f   same as -q 7\n"
                 "    --resample f    output sample rate in kHz (or Hz)\n"
                 "    --decode        decode an MP3 file to a 16-bit WAVE file\n"
                 "    --silent        print nothing but errors (also --quiet and -S)\n"
                 "    --verbose       print more detail     --brief   print less\n"
                 "    --tt title      ID3 title; --ta artist, --tl album, --ty year,\n"
                 "                    --tc comment, --tn track, --tg genre\n"
                 "    --nogap a b     encode several inputs with no gap between them\n"
                 "    --longhelp      every option; --preset help explains the presets\n"
                 "\n",
                 lame_get_VBR_q(gfp));
    std::fprintf(out,
                 "    --preset type   type must be \"medium\", \"standard\", \"extreme\",\n"
                 "                    \"insane\" or a bitrate from 8 to 320 kbps; \"fast\"\n"
                 "                    before medium, standard or extreme picks the newer\n"
                 "                    VBR routine, \"cbr\" before a bitrate keeps it constant\n"
                 "\n");
    PrintPriorityParagraph(out);
    std::fprintf(out, "\n");
}

void PrintLongHelp(std::FILE* out, lame_global_flags* gfp, const char* programName,
                   std::FILE* pauseInput) {
    PrintVersionBanner(out);
    PrintHelpUsage(out, programName);
    std::fprintf(out,
                 "OPTIONS:\n"
                 "    Long option names ignore letter case; single letters do not. Letters may\n"
                 "    be bundled (-hS), and a letter's value may follow it (-V2) or be the next\n"
                 "    word (-V 2). A long option's value is always the next word.\n"
                 "\n"
                 "  Operational options:\n"
                 "    -r              the input is raw PCM without a header\n"
                 "    -x              swap the byte order of PCM input (and of headerless\n"
                 "                    --decode -t output)\n"
                 "    -s sfreq        input sample rate: kHz up to 192 (44.1), Hz above (44100)\n"
                 "    --bitwidth w    bits per sample of raw PCM input (default 16)\n"
                 "    --signed, --unsigned, --little-endian, --big-endian\n"
                 "                    accepted for compatibility; they change nothing\n"
                 "    --mp1input      the input is MPEG Layer I (else told by .mp1 or .mpg)\n"
                 "    --mp2input      the input is MPEG Layer II (else told by .mp2)\n"
                 "    --mp3input      the input is MPEG Layer III (else told by .mp3)\n"
                 "    --ogginput      refused: Ogg Vorbis input is not supported\n"
                 "    --scale n       multiply the input samples by n\n"
                 "    --scale-l n     multiply the left channel by n\n"
                 "    --scale-r n     multiply the right channel by n\n"
                 "    -a              mix stereo input down to mono\n"
                 "    --decode        decode MPEG audio to a 16-bit WAVE file\n"
                 "    --decode-mp3delay n\n"
                 "                    with --decode: take the encoder delay as n samples\n"
                 "                    instead of reading it from the MP3's LAME tag\n"
                 "    -t              no Xing/Info tag; with --decode, headerless output\n"
                 "    -T              write the Xing/Info tag (even with --nogap); with\n"
                 "                    --decode, a WAVE header\n"
                 "    --nogap a b ... encode every input named after it, back to back with no\n"
                 "                    gap at the joins; each gets its own .mp3\n"
                 "    --nogapout dir  folder for the --nogap outputs\n"
                 "    --nogaptags     keep the Xing/Info tag in --nogap outputs\n"
                 "\n"
                 "  Verbosity:\n"
                 "    --disptime s    seconds between progress updates\n"
                 "    --nohist        no bitrate histogram\n"
                 "    --brief         print less than usual\n"
                 "    --verbose       print everything there is\n"
                 "    --silent        print nothing but errors; --quiet and -S are the same\n");
    SectionBreak(out, pauseInput);
    std::fprintf(out,
                 "  Noise shaping & psycho acoustic algorithms:\n"
                 "    -q n            encoding effort, 0 (slowest, best) to 9 (fastest);\n"
                 "                    values outside are taken as 0 or 9\n"
                 "    -h              same as -q 2\n"
                 "    -f              same as -q 7\n");
    SectionBreak(out, pauseInput);
    std::fprintf(out,
                 "  CBR (constant bitrate, the default) options:\n"
                 "    -b n            bitrate in kbps; MPEG-1 (32, 44.1, 48 kHz) allows 32\n"
                 "                    to 320, MPEG-2 and 2.5 (lower rates) 8 to 160; see\n"
                 "                    the tables at the end\n"
                 "    --cbr           constant bitrate even after a VBR option\n"
                 "    --comp r        choose the bitrate by a compression ratio r >= 1.0\n"
                 "    --freeformat    free-format bitstream: any bitrate from 8 to 640\n"
                 "                    kbps given with -b (few players read it)\n"
                 "    --r3mix         the library's r3mix tuning (variable bitrate)\n"
                 "    --preset p      a tuned profile: medium, standard, extreme, insane\n"
                 "                    or a bitrate (see --preset help); --alt-preset is\n"
                 "                    the same\n"
                 "    --phone, --voice, --radio, --tape, --cd, --studio\n"
                 "                    old spellings of --preset phone and so on\n");
    SectionBreak(out, pauseInput);
    std::fprintf(out,
                 "  VBR options:\n"
                 "    -v              variable bitrate at the current quality\n"
                 "    -V n            variable bitrate at quality n, 0 (best) to 9\n"
                 "                    (smallest); default n=%i\n"
                 "    --vbr-old       the older VBR routine\n"
                 "    --vbr-new       the newer VBR routine (also --vbr-mtrh)\n"
                 "    --abr n         average bitrate of n kbps, 8 to 320 (a value of\n"
                 "                    8000 or more is taken as bits per second)\n"
                 "    -b n            the lowest bitrate a frame may use\n"
                 "    -B n            the highest bitrate a frame may use\n"
                 "    -F              keep to the -b minimum even in silence\n"
                 "    -t              no Xing/Info VBR tag\n"
                 "    -T              write the Xing/Info VBR tag\n",
                 lame_get_VBR_q(gfp));
    SectionBreak(out, pauseInput);
    std::fprintf(out,
                 "  PSY related:\n"
                 "    --short         allow short blocks\n"
                 "    --noshort       long blocks only\n"
                 "    --allshort      short blocks only\n"
                 "    --notemp        no temporal masking\n"
                 "    --temporal-masking n\n"
                 "                    temporal masking on (n not 0) or off (0)\n"
                 "    --interch x     inter-channel masking ratio\n"
                 "    --nssafejoint   safer choice between joint and plain stereo\n"
                 "    --nsmsfix x     mid/side switching threshold\n"
                 "    --ns-bass x, --ns-alto x, --ns-treble x, --ns-sfb21 x\n"
                 "                    shift the masking of that band by x dB, in steps of\n"
                 "                    a quarter dB from -8 to +7.75\n"
                 "    --athaa-sensitivity x\n"
                 "                    shift the adaptive hearing threshold by x dB\n"
                 "    --nspsytune     accepted; this library has no selector for it\n"
                 "    --nspsytune2 f  accepted (the file f must be readable); this library\n"
                 "                    cannot use it\n"
                 "\n"
                 "  experimental switches:\n"
                 "    -X n[,m]        quantization comparison for long (n) and short (m)\n"
                 "                    blocks; m defaults to n\n"
                 "    -Y              sets the library's experimental switch Y\n"
                 "    -Z [n]          sets the library's experimental value Z to n (1\n"
                 "                    when no number follows)\n"
                 "    --noasm i       do not use processor extension i: mmx, 3dnow or sse\n");
    SectionBreak(out, pauseInput);
    std::fprintf(out,
                 "  MP3 header/stream options:\n"
                 "    -m mode         channel mode: j joint stereo (a is the same),\n"
                 "                    s stereo, d dual channel (two independent\n"
                 "                    channels), m mono, f joint stereo with mid/side\n"
                 "                    coding forced in every frame\n"
                 "    -e c            de-emphasis flag: n none, 5 50/15 microseconds,\n"
                 "                    c CCITT J.17\n"
                 "    -c              mark the stream copyrighted\n"
                 "    -o              mark the stream as a copy, not an original\n"
                 "    -p              add a CRC checksum to every frame\n"
                 "    --nores         no bit reservoir: every frame stands alone\n"
                 "    --strictly-enforce-ISO\n"
                 "                    keep strictly to the ISO standard's limits\n"
                 "    --replaygain-fast\n"
                 "                    compute ReplayGain from the input (the default)\n"
                 "    --replaygain-accurate\n"
                 "                    compute ReplayGain from the decoded output; not\n"
                 "                    with MPEG input\n"
                 "    --noreplaygain  no ReplayGain analysis\n"
                 "    --clipdetect    report whether the output would clip; not with\n"
                 "                    MPEG input\n"
                 "    -d              obsolete; prints a warning\n");
    SectionBreak(out, pauseInput);
    std::fprintf(out,
                 "  Filter options:\n"
                 "    --lowpass f     lowpass frequency in kHz (Hz from 50 up)\n"
                 "    --lowpass-width w\n"
                 "                    width of the lowpass transition band in kHz\n"
                 "    --highpass f    highpass frequency in kHz (Hz from 16 up)\n"
                 "    --highpass-width w\n"
                 "                    width of the highpass transition band in kHz\n"
                 "    -k              no lowpass and no highpass filtering\n"
                 "    --resample f    output sample rate in kHz or Hz: 8, 11.025, 12, 16,\n"
                 "                    22.05, 24, 32, 44.1 or 48 kHz\n");
    SectionBreak(out, pauseInput);
    std::fprintf(out,
                 "  ID3 tag options:\n"
                 "    --tt title      title\n"
                 "    --ta artist     artist\n"
                 "    --tl album      album\n"
                 "    --ty year       year\n"
                 "    --tc comment    comment\n"
                 "    --tn track      track number, 0 to 255\n"
                 "    --tg genre      genre by name or number (see --genre-list)\n"
                 "    --ignore-tag-errors\n"
                 "                    with --tn and --tg given after it: take a wrong\n"
                 "                    track number as it is, replace a wrong genre by\n"
                 "                    Other\n"
                 "    --add-id3v2     write an ID3 version 2 tag as well\n"
                 "    --id3v1-only    write only an ID3 version 1 tag\n"
                 "    --id3v2-only    write only an ID3 version 2 tag\n"
                 "    --space-id3v1   pad version 1 fields with spaces, not zeros\n"
                 "    --pad-id3v2     leave room in the version 2 tag\n"
                 "    --genre-list    list the genre names and numbers\n"
                 "\n"
                 "    Other information: --help and --usage print the short help,\n"
                 "    --version and --license the licence, --longhelp this text\n"
                 "    (--? with a pause between sections, -? on the error stream).\n"
                 "\n");
    PrintPriorityParagraph(out);
    std::fprintf(out, "                     (on this system: nice 19 for idle, -10 for high)\n");
    PrintBitrateTables(out);
}

void PrintLicense(std::FILE* out) {
    PrintVersionBanner(out);
    std::fprintf(out,
                 "Can I use LAME in my commercial program?\n"
                 "\n"
                 "Yes. The LAME encoding library is published under the GNU Lesser General\n"
                 "Public License (LGPL), which allows it to be used by programs that are not\n"
                 "free software, commercial ones included. In short, the LGPL asks that:\n"
                 "\n"
                 "  * the program says that it uses LAME and that LAME is under the LGPL;\n"
                 "  * users can get the library's source code, including any changes made\n"
                 "    to it, from whoever hands them the program;\n"
                 "  * users can replace the library with a version of their own, which is\n"
                 "    easiest when the program links it as a shared library, as this one\n"
                 "    does.\n"
                 "\n"
                 "The program's own code may stay under any licence. This is a summary, not\n"
                 "legal advice: the licence text itself is the authority. MP3 encoding was\n"
                 "once covered by patents in some countries; they have now expired.\n");
}

void PrintGenreLine(int number, const char* name, void* cookie) {
    std::fprintf(static_cast<std::FILE*>(cookie), "%3d %s\n", number, name);
}

}  // namespace frontend
