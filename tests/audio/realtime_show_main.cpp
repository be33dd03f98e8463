// The whole show on the real-time output: the headless backend with its real clock, the sound library on the
// audio device output (SDL's dummy driver where there is no sound card), the fast test soundtrack. The music
// position is logged at every frame and must never decrease. Run in a folder holding the data files; the log
// goes to the file named by the argument. Exits 0 when the show ended by itself with the position in order.
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
    headlessSetMessageBoxEcho(true);
    headlessSetFrameHook([&positions] { positions.push_back(soundtrack.getPosition()); });
    int result = WinMain(nullptr, nullptr, const_cast<LPSTR>(""), 1);
    headlessSetFrameHook(nullptr);

    FILE* log = std::fopen(argv[1], "w");
    int backwards = 0;
    for (size_t i = 0; i < positions.size(); ++i) {
        bool back = i > 0 && positions[i] < positions[i - 1];
        if (back && backwards++ < 10) {
            std::printf("frame %zu: position %d after %d\n", i, positions[i], positions[i - 1]);
        }
        if (log) std::fprintf(log, "%zu %d%s\n", i, positions[i], back ? " back" : "");
    }
    if (log) std::fclose(log);
    std::printf("%zu frames, position %d to %d, %d steps back, exit code %d\n", positions.size(),
                positions.empty() ? 0 : positions.front(), positions.empty() ? 0 : positions.back(), backwards,
                result);
    // The fast soundtrack passes 2000 rows before the show ends; fewer means the music never ran.
    bool played = !positions.empty() && positions.back() > 2000;
    return result == 0 && backwards == 0 && played ? 0 : 1;
}
