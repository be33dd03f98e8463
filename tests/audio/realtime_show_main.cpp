// SPDX-License-Identifier: MIT
// The whole show on the real-time output: the headless backend with its real clock, the sound library on the
// audio device output (SDL's dummy driver where there is no sound card), the fast test soundtrack. The music
// position is logged at every frame and must never decrease, nor hold for 1.5 s once the music runs (the
// sound device lost mid-show must not freeze the picture). Run in a folder holding the data files; the log
// goes to the file named by the argument. Exits 0 when the show ended by itself with the position in order.
#include <chrono>
#include <cstdio>
#include <vector>

#include "app/main.h"
#include "platform/headless/headless.h"
#include "show/content_set.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: realtime_show LOG\n");
        return 2;
    }
    std::vector<int> positions;
    std::vector<double> times;  // seconds since the start, per frame
    auto start = std::chrono::steady_clock::now();
    headlessSetMessageBoxEcho(true);
    headlessSetFrameHook([&] {
        positions.push_back(soundtrack.getPosition());
        times.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    });
    int result = WinMain(nullptr, nullptr, const_cast<LPSTR>(""), 1);
    headlessSetFrameHook(nullptr);

    FILE* log = std::fopen(argv[1], "w");
    int backwards = 0;
    double longestHold = 0, heldFrom = 0, holdAt = 0;
    for (size_t i = 0; i < positions.size(); ++i) {
        bool back = i > 0 && positions[i] < positions[i - 1];
        // A hold: frames drawn over a span of time, all at one position (a slow frame alone is none).
        if (i == 0 || positions[i] != positions[i - 1]) heldFrom = times[i];
        if (positions[i] > 0 && times[i] - heldFrom > longestHold) {
            longestHold = times[i] - heldFrom;
            holdAt = heldFrom;
        }
        if (back && backwards++ < 10) {
            std::printf("frame %zu: position %d after %d\n", i, positions[i], positions[i - 1]);
        }
        if (log) std::fprintf(log, "%zu %.3f %d%s\n", i, times[i], positions[i], back ? " back" : "");
    }
    if (log) std::fclose(log);
    std::printf("%zu frames, position %d to %d, %d steps back, longest hold %.2f s (from %.2f s), exit code %d\n",
                positions.size(), positions.empty() ? 0 : positions.front(), positions.empty() ? 0 : positions.back(),
                backwards, longestHold, holdAt, result);
    // The fast soundtrack passes 2000 rows before the show ends; fewer means the music never ran.
    bool played = !positions.empty() && positions.back() > 2000;
    return result == 0 && backwards == 0 && played && longestHold < 1.5 ? 0 : 1;
}
