// SPDX-License-Identifier: MIT
// How far the reported music position is from the sound heard: plays a module with a click on every row through
// the audio device output (SDL on whatever sound server PULSE_SERVER names), records the server's monitor with
// parec, and compares the moment each click is heard with the moment the position reached its row.
// Prints the offset; with --check, exits 1 unless the median lies within 20 ms (about a frame) and the output
// ran on the driver SDL_AUDIODRIVER names. Run it through run_with_pulseaudio.sh or run_with_pipewire.sh.
#include <SDL.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "audio/music_track.h"
#include "platform/headless/pull_audio.h"
#include "tests/audio/audio_test_files.h"

namespace {

typedef std::chrono::steady_clock Clock;

const int rate = 44100;
// The show's own tempo: speed 6 at 140 BPM, a row every 6 x 2.5 / 140 s.
const int showSpeed = 6;
const int showTempo = 140;
const double rowSeconds = showSpeed * 2.5 / showTempo;

double secondsSince(Clock::time_point origin, Clock::time_point t) {
    return std::chrono::duration<double>(t - origin).count();
}

// The monitor recording: mono samples, and for each piece read from parec, how many samples had arrived by
// when. Arrival is never before capture, so the earliest consistent start gives each sample's moment.
// A 20 ms fragment: a smaller one sets PipeWire's whole graph to that cycle, which drops sound on a busy machine.
struct Recording {
    std::mutex lock;
    std::vector<int16_t> samples;
    std::vector<std::pair<size_t, Clock::time_point>> arrivals;
    pid_t pid = -1;
    int fd = -1;
    std::thread reader;

    bool start() {
        int pipeFds[2];
        if (pipe(pipeFds) != 0) return false;
        pid = fork();
        if (pid == 0) {
            dup2(pipeFds[1], 1);
            close(pipeFds[0]);
            close(pipeFds[1]);
            execlp("parec", "parec", "--raw", "--format=s16le", "--rate=44100", "--channels=1",
                   "--latency-msec=20", "--device=@DEFAULT_MONITOR@", static_cast<char*>(nullptr));
            _exit(127);
        }
        close(pipeFds[1]);
        if (pid < 0) {
            close(pipeFds[0]);
            return false;
        }
        fd = pipeFds[0];
        reader = std::thread([this] {
            char bytes[4096];
            size_t pending = 0;  // an odd byte left over from the last read
            char carry = 0;
            for (;;) {
                ssize_t got = read(fd, bytes, sizeof bytes);
                if (got <= 0) break;
                Clock::time_point now = Clock::now();
                std::lock_guard<std::mutex> guard(lock);
                for (ssize_t i = 0; i < got; ++i) {
                    if (pending == 0) {
                        carry = bytes[i];
                        pending = 1;
                    } else {
                        samples.push_back(static_cast<int16_t>(static_cast<uint8_t>(carry) |
                                                               (static_cast<uint8_t>(bytes[i]) << 8)));
                        pending = 0;
                    }
                }
                arrivals.emplace_back(samples.size(), now);
            }
        });
        return true;
    }

    size_t count() {
        std::lock_guard<std::mutex> guard(lock);
        return samples.size();
    }

    void stop() {
        if (pid > 0) {
            kill(pid, SIGTERM);
            waitpid(pid, nullptr, 0);
        }
        if (reader.joinable()) reader.join();
        if (fd >= 0) close(fd);
    }

    // Seconds from `origin` at which sample 0 was captured.
    double startSeconds(Clock::time_point origin) {
        double best = 1e30;
        for (auto& arrival : arrivals) {
            best = std::min(best, secondsSince(origin, arrival.second) - static_cast<double>(arrival.first) / rate);
        }
        return best;
    }
};

// Onsets of clicks: a sample well above the noise after at least half a row of quiet.
std::vector<size_t> clickOnsets(const std::vector<int16_t>& samples) {
    std::vector<size_t> onsets;
    const size_t quiet = static_cast<size_t>(rowSeconds * rate / 2);
    size_t lastLoud = 0;
    bool any = false;
    for (size_t i = 0; i < samples.size(); ++i) {
        if (std::abs(static_cast<int>(samples[i])) < 1000) continue;
        if (!any || i - lastLoud > quiet) onsets.push_back(i);
        lastLoud = i;
        any = true;
    }
    return onsets;
}

}  // namespace

int main(int argc, char** argv) {
    bool check = false, countDelay = true;
    double seconds = 6;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--check") == 0) {
            check = true;
        } else if (std::strcmp(argv[i], "--no-delay") == 0) {
            countDelay = false;
        } else if (std::strcmp(argv[i], "--seconds") == 0 && i + 1 < argc) {
            seconds = std::atof(argv[++i]);
        } else {
            std::fprintf(stderr, "usage: device_delay_probe [--check] [--no-delay] [--seconds S]\n");
            return 2;
        }
    }
    usePullAudio(false);
    countDeviceDelay(countDelay);

    Recording recording;
    if (!recording.start()) {
        std::fprintf(stderr, "device_delay_probe: cannot start parec\n");
        return 1;
    }
    // Let the recording run before anything plays, so the first click heard is row 0.
    for (int i = 0; i < 100 && recording.count() < rate / 4; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(20));

    XmModule spec;
    spec.patternRows = {64};
    spec.orders = {0, 0, 0, 0};
    spec.speed = showSpeed;
    spec.tempo = showTempo;
    spec.clickEveryRow = true;
    std::string path = writeXmFile("clicks.xm", spec);

    std::vector<std::pair<double, int>> reports;  // (seconds from origin, position) whenever it changed
    Clock::time_point origin = Clock::now();
    int delayFrames = 0;
    std::string driver;
    {
        MusicTrack track;
        if (!track.load(path.c_str(), 0) || track.play() == 0) {
            std::fprintf(stderr, "device_delay_probe: the click module did not play\n");
            recording.stop();
            return 1;
        }
        const char* current = SDL_GetCurrentAudioDriver();
        driver = current ? current : "none";
        delayFrames = deviceDelayFrames();
        int last = -1;
        Clock::time_point end = origin + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
        while (Clock::now() < end) {
            int position = track.getPosition();
            if (position != last) reports.emplace_back(secondsSince(origin, Clock::now()), position);
            last = position;
            std::this_thread::sleep_for(std::chrono::microseconds(500));
        }
        track.release();
    }
    recording.stop();

    std::vector<size_t> onsets = clickOnsets(recording.samples);
    double start = recording.startSeconds(origin);
    // Row k is heard at the k-th click; the position reaches k at the first report of k or more.
    std::vector<double> offsets;
    for (size_t k = 1; k < onsets.size(); ++k) {
        double heard = start + static_cast<double>(onsets[k]) / rate;
        for (auto& report : reports) {
            if (report.second >= static_cast<int>(k)) {
                offsets.push_back(report.first - heard);
                break;
            }
        }
    }
    std::printf("driver %s, device delay %d frames (%.1f ms) %s, %zu clicks heard, %zu position reports\n",
                driver.c_str(), delayFrames, delayFrames * 1000.0 / rate, countDelay ? "counted" : "ignored",
                onsets.size(), reports.size());
    if (offsets.size() < 10) {
        std::printf("too few clicks matched (%zu)\n", offsets.size());
        return 1;
    }
    std::printf("rows (ms):");
    for (double offset : offsets) std::printf(" %.1f", offset * 1000);
    std::printf("\n");
    std::sort(offsets.begin(), offsets.end());
    double median = offsets[offsets.size() / 2];
    std::printf("offset %.1f ms (position after sound; min %.1f, max %.1f over %zu rows), one row %.1f ms\n",
                median * 1000, offsets.front() * 1000, offsets.back() * 1000, offsets.size(), rowSeconds * 1000);
    const char* wanted = std::getenv("SDL_AUDIODRIVER");
    if (check && (!wanted || driver != wanted)) {
        std::printf("not played through the sound server (driver %s, wanted %s)\n", driver.c_str(),
                    wanted ? wanted : "none");
        return 1;
    }
    if (check && std::fabs(median) > 0.020) {
        std::printf("the position is more than 20 ms away from the sound\n");
        return 1;
    }
    return 0;
}
