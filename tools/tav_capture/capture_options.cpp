// Parses tav-capture's options: "--name value" or "--name=value"; unknown options and bad values are usage errors.
#include "tools/tav_capture/capture_options.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>

static const int maxFps = 1000;               // beyond this a frame would last less than the clock's millisecond
static const double maxSeconds = 24.0 * 3600; // a day of show is more than any soundtrack needs

static bool parseFps(const std::string& text, int& fps)
{
    if (text.empty() || text.size() > 4) return false;
    for (char c : text)
        if (c < '0' || c > '9') return false;
    int value = std::atoi(text.c_str());
    if (value < 1 || value > maxFps) return false;
    fps = value;
    return true;
}

static bool parseSeconds(const std::string& text, double& seconds)
{
    if (text.empty() || std::strchr("0123456789.", text[0]) == nullptr) return false;
    errno = 0;
    char* end = nullptr;
    double value = std::strtod(text.c_str(), &end);
    if (errno != 0 || end == nullptr || *end != '\0' || !std::isfinite(value)) return false;
    if (value <= 0.0 || value > maxSeconds) return false;
    seconds = value;
    return true;
}

const char* captureUsageText()
{
    return "Usage: tav-capture [--out PATH] [--fps N] [--png DIR] [--seconds S] [--render-only]\n"
           "Renders the show offline, frame by frame on a virtual clock, and writes what a viewer would see and\n"
           "hear. Data files are found as tav finds them: the current folder first, then vel.kod, then the\n"
           "installed content.\n"
           "\n"
           "  --out PATH     MP4 file to write, H.264 video and AAC audio (default tav.mp4)\n"
           "  --fps N        frames per second, 1 to 1000 (default 60)\n"
           "  --png DIR      write DIR/frame_000000.png ... and DIR/audio.wav instead of an MP4 file\n"
           "  --seconds S    stop after S seconds of show (default: until the show ends by itself)\n"
           "  --render-only  draw every frame as for a capture but read nothing back and write nothing: the\n"
           "                 time it takes is what the capture's output adds to\n"
           "  --help         show this text\n";
}

OptionsResult parseCaptureOptions(int argc, char** argv, CaptureOptions& options, std::string& error)
{
    bool outGiven = false;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        std::string name = arg;
        std::string value;
        bool hasInlineValue = false;
        size_t equals = arg.find('=');
        if (arg.rfind("--", 0) == 0 && equals != std::string::npos) {
            name = arg.substr(0, equals);
            value = arg.substr(equals + 1);
            hasInlineValue = true;
        }
        if (name == "--help" || name == "-h" || name == "--render-only") {
            if (hasInlineValue) {
                error = name + " takes no value";
                return OptionsResult::UsageError;
            }
            (name == "--render-only" ? options.renderOnly : options.help) = true;
            continue;
        }
        if (name != "--out" && name != "--fps" && name != "--png" && name != "--seconds") {
            error = (arg.rfind("-", 0) == 0 ? "unknown option '" : "unexpected argument '") + arg +
                    "' (see --help)";
            return OptionsResult::UsageError;
        }
        if (!hasInlineValue) {
            if (i + 1 >= argc) {
                error = name + " needs a value (see --help)";
                return OptionsResult::UsageError;
            }
            value = argv[++i];
        }
        if (name == "--out" || name == "--png") {
            if (value.empty()) {
                error = name + " needs a non-empty path";
                return OptionsResult::UsageError;
            }
            if (name == "--out") {
                options.outPath = value;
                outGiven = true;
            } else {
                options.pngDir = value;
            }
        } else if (name == "--fps") {
            if (!parseFps(value, options.fps)) {
                error = "--fps must be a whole number from 1 to 1000, not '" + value + "'";
                return OptionsResult::UsageError;
            }
        } else if (!parseSeconds(value, options.seconds)) {
            error = "--seconds must be a number of seconds above 0, not '" + value + "'";
            return OptionsResult::UsageError;
        }
    }
    if (options.help) return OptionsResult::Help;
    if (outGiven && !options.pngDir.empty()) {
        error = "--out and --png cannot be used together";
        return OptionsResult::UsageError;
    }
    if (options.renderOnly && (outGiven || !options.pngDir.empty())) {
        error = "--render-only writes nothing: it cannot be used with --out or --png";
        return OptionsResult::UsageError;
    }
    return OptionsResult::Run;
}
