// SPDX-License-Identifier: MIT
// A Windows console program for the sound tests under Wine: plays a module through the sound library's waveOut
// output and prints the music position whenever it changes, with the wall-clock time (Unix microseconds, from
// GetSystemTimePreciseAsFileTime, the clock a Linux recorder beside Wine reads too).
//   sound_probe clicks SECONDS [--fail write|position|hang AT]
// plays a module with a click on every row at the show's tempo (written beside the program). --fail makes
// winmm fail AT seconds in: writes refused, the position unreadable, or writes taken and never played. Prints
// "position MICROSECONDS POSITION" lines and a summary; exits 1 when the position went back or, after AT,
// stopped following real time.
#include <windows.h>
#include <mmsystem.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "audio/music_track.h"
#include "platform/win32/waveout_calls.h"
#include "tests/audio/xm_writer.h"

namespace {

// The show's own tempo: speed 6 at 140 BPM, a row every 6 x 2.5 / 140 s.
const int showSpeed = 6;
const int showTempo = 140;
const double rowSeconds = showSpeed * 2.5 / showTempo;

typedef void(WINAPI* PreciseTimeCall)(LPFILETIME);

long long wallMicroseconds() {
    static PreciseTimeCall precise = reinterpret_cast<PreciseTimeCall>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetSystemTimePreciseAsFileTime")));
    FILETIME time;
    if (precise) {
        precise(&time);
    } else {
        GetSystemTimeAsFileTime(&time);
    }
    ULARGE_INTEGER value;
    value.LowPart = time.dwLowDateTime;
    value.HighPart = time.dwHighDateTime;
    return static_cast<long long>(value.QuadPart / 10) - 11644473600LL * 1000000LL;  // from 1601 to 1970
}

MMRESULT WINAPI refuseWrite(HWAVEOUT, LPWAVEHDR, UINT) { return MMSYSERR_NODRIVER; }
MMRESULT WINAPI refusePosition(HWAVEOUT, LPMMTIME, UINT) { return MMSYSERR_NODRIVER; }
MMRESULT WINAPI swallowWrite(HWAVEOUT, LPWAVEHDR, UINT) { return MMSYSERR_NOERROR; }

bool writeClicks(const std::string& path) {
    XmModule spec;
    spec.patternRows = {64};
    spec.orders = std::vector<int>(16, 0);
    spec.speed = showSpeed;
    spec.tempo = showTempo;
    spec.clickEveryRow = true;
    std::vector<uint8_t> bytes = writeXm(spec);
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && ok;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3 || std::strcmp(argv[1], "clicks") != 0) {
        std::fprintf(stderr, "usage: sound_probe clicks SECONDS [--fail write|position|hang AT]\n");
        return 2;
    }
    double seconds = std::atof(argv[2]);
    std::string fault;
    double failAt = 0;
    if (argc == 6 && std::strcmp(argv[3], "--fail") == 0) {
        fault = argv[4];
        failAt = std::atof(argv[5]);
    }
    if (!fault.empty() && fault != "write" && fault != "position" && fault != "hang") {
        std::fprintf(stderr, "sound_probe: unknown fault %s\n", fault.c_str());
        return 2;
    }
    if (!writeClicks("sound_probe_clicks.xm")) {
        std::fprintf(stderr, "sound_probe: cannot write the click module\n");
        return 1;
    }
    MusicTrack track;
    if (!track.load("sound_probe_clicks.xm", 0) || track.play() == 0) {
        std::fprintf(stderr, "sound_probe: the click module did not play\n");
        return 1;
    }
    long long begin = wallMicroseconds();
    long long end = begin + static_cast<long long>(seconds * 1e6);
    long long failMoment = begin + static_cast<long long>(failAt * 1e6);
    bool failed = fault.empty();
    int last = -1, backwards = 0;
    long long lastChange = begin, longestHold = 0;
    int positionAtFail = 0;
    for (long long now = begin; now < end; now = wallMicroseconds()) {
        if (!failed && now >= failMoment) {
            if (fault == "write") waveOutWriteCall = refuseWrite;
            if (fault == "position") waveOutGetPositionCall = refusePosition;
            if (fault == "hang") waveOutWriteCall = swallowWrite;
            failed = true;
            positionAtFail = last;
            lastChange = now;
        }
        int position = track.getPosition();
        if (position != last) {
            std::printf("position %lld %d\n", wallMicroseconds(), position);
            if (position < last) backwards++;
            if (!fault.empty() && failed) longestHold = std::max(longestHold, now - lastChange);
            lastChange = now;
            last = position;
        }
        Sleep(1);
    }
    if (!fault.empty()) longestHold = std::max(longestHold, wallMicroseconds() - lastChange);
    track.release();
    std::printf("summary: position %d at the end, %d steps back\n", last, backwards);
    std::fflush(stdout);
    if (backwards > 0) return 1;
    if (fault.empty()) return 0;
    // After the fault the clock runs on at about real time, without a long hold.
    double after = seconds - failAt;
    double rows = last - positionAtFail;
    std::printf("after the fault: %.0f rows in %.1f s (%.0f expected), longest hold %.0f ms\n", rows, after,
                after / rowSeconds, longestHold / 1000.0);
    bool onTime = rows > 0.6 * after / rowSeconds && rows < 1.3 * after / rowSeconds;
    return onTime && longestHold < 1500000 ? 0 : 1;
}
