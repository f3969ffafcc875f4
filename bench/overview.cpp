// Reads a song's facts and its whole overview, as the part chooser's window does when it
// opens the song, and exits: the time and memory of the window's read without the window.
#include <chrono>
#include <cstdio>
#include <thread>

#include "chooser/Songoverview.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: bench_overview SONG\n");
        return 2;
    }
    const chooser::SongFacts facts = chooser::ReadSongFacts(argv[1]);
    if (!facts.readable) {
        return 1;
    }
    chooser::SongOverview overview;
    overview.Start(facts);
    // The window looks as often as it repaints; a millisecond is finer than that.
    while (!overview.Snapshot().complete && overview.Running()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return overview.Snapshot().complete ? 0 : 1;
}
