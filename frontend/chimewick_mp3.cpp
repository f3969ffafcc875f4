// chimewick-mp3: the MP3 conversion front end as a console program. It has no progress
// dialog (the loops' bar and cancel test do nothing here) and Ctrl+C simply ends it.
#include "frontend/decodermain.h"

int main(int argc, char** argv) {
    int result = frontend::FrontEndMain(argc, argv);
    return result < 0 ? 255 : result;
}
