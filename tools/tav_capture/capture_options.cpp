// SPDX-License-Identifier: MIT
// Parses tav-capture's options: "--name value" or "--name=value"; unknown options and bad values are usage errors.
#include "tools/tav_capture/capture_options.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

static const int maxFps = 1000;               // beyond this a frame would last less than the clock's millisecond
static const double maxSeconds = 24.0 * 3600; // a day of show is more than any soundtrack needs
static const int maxSide = 7680;              // 8K: beyond it H.264's levels end
static const char* const x264Presets[] = {"ultrafast", "superfast", "veryfast", "faster", "fast",
                                          "medium", "slow", "slower", "veryslow", "placebo"};

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

static bool parseNumber(const std::string& text, size_t& at, int& value)
{
    const size_t start = at;
    value = 0;
    while (at < text.size() && text[at] >= '0' && text[at] <= '9' && at - start < 5) value = value * 10 + (text[at++] - '0');
    return at > start && (at == text.size() || text[at] < '0' || text[at] > '9');
}

// "WxH", both even (4:2:0 chroma covers two by two pixels) and from 16 to 7680.
static bool parseSize(const std::string& text, int& width, int& height)
{
    size_t at = 0;
    int w = 0, h = 0;
    if (!parseNumber(text, at, w) || at >= text.size() || (text[at] != 'x' && text[at] != 'X')) return false;
    ++at;
    if (!parseNumber(text, at, h) || at != text.size()) return false;
    for (int side : {w, h})
        if (side < 16 || side > maxSide || side % 2 != 0) return false;
    width = w;
    height = h;
    return true;
}

// x264's constant rate factor for 8-bit video: 0 (best) to 51, fractions allowed.
static bool parseCrf(const std::string& text)
{
    if (text.empty() || text.size() > 8 || std::strchr("0123456789.", text[0]) == nullptr) return false;
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    return end != nullptr && *end == '\0' && value >= 0.0 && value <= 51.0;
}

static bool oneOf(const std::string& value, std::initializer_list<const char*> names)
{
    for (const char* name : names)
        if (value == name) return true;
    return false;
}

static bool endsWith(const std::string& text, const std::string& tail)
{
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

bool captureWritesMatroska(const CaptureOptions& options)
{
    std::string lower = options.outPath;
    for (char& c : lower) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return endsWith(lower, ".mkv");
}

static bool isEncodingOption(const std::string& name)
{
    return oneOf(name, {"--size", "--crf", "--preset", "--pixel-format", "--audio"});
}

static bool parseEncodingOption(const std::string& name, const std::string& value, CaptureOptions& options,
                                std::string& error)
{
    if (name == "--size") {
        if (parseSize(value, options.width, options.height)) return true;
        error = "--size must be WIDTHxHEIGHT, even numbers from 16 to 7680 (e.g. 1920x1080), not '" + value + "'";
    } else if (name == "--crf") {
        if (parseCrf(value)) {
            options.crf = value;
            return true;
        }
        error = "--crf must be a number from 0 to 51, not '" + value + "'";
    } else if (name == "--preset") {
        for (const char* preset : x264Presets)
            if (value == preset) {
                options.preset = value;
                return true;
            }
        error = "--preset must be one of x264's: ultrafast superfast veryfast faster fast medium slow slower "
                "veryslow placebo, not '" + value + "'";
    } else if (name == "--pixel-format") {
        if (oneOf(value, {"yuv420p", "yuv444p"})) {
            options.pixelFormat = value;
            return true;
        }
        error = "--pixel-format must be yuv420p or yuv444p, not '" + value + "'";
    } else {
        if (oneOf(value, {"aac", "flac", "pcm"})) {
            options.audio = value;
            return true;
        }
        error = "--audio must be aac, flac or pcm, not '" + value + "'";
    }
    return false;
}

// Settings that only make sense together, checked once every option is read.
static bool checkCombination(const CaptureOptions& options, std::string& error)
{
    const bool encoderSet = !options.crf.empty() || !options.preset.empty() || !options.pixelFormat.empty();
    const char* encoderOption = !options.crf.empty() ? "--crf" : !options.preset.empty() ? "--preset" : "--pixel-format";
    if (!options.pngDir.empty() && (encoderSet || options.lossless || !options.audio.empty())) {
        error = std::string(encoderSet ? encoderOption : options.lossless ? "--lossless" : "--audio") +
                " sets the video file's encoding: PNG frames are lossless and their sound is audio.wav";
        return false;
    }
    if (options.lossless && encoderSet) {
        error = std::string("--lossless cannot be used with ") + encoderOption +
                ": lossless frames are FFV1 and have no quality setting";
        return false;
    }
    const bool matroska = captureWritesMatroska(options);
    if (options.lossless && !matroska) {
        error = "--lossless writes FFV1, which needs a Matroska file: give --out a name ending in .mkv";
        return false;
    }
    if (!matroska && (options.audio == "flac" || options.audio == "pcm")) {
        error = "--audio " + options.audio + " needs a Matroska file (.mkv): an MP4 file plays only AAC everywhere";
        return false;
    }
    return true;
}

const char* captureUsageText()
{
    return "Usage: tav-capture [--out PATH] [--fps N] [--png DIR] [--seconds S] [--render-only]\n"
           "                   [--size WxH] [--crf N] [--preset NAME] [--pixel-format F] [--lossless] [--audio A]\n"
           "Renders the show offline, frame by frame on a virtual clock, and writes what a viewer would see and\n"
           "hear. Data files are found as tav finds them: the current folder first, then vel.kod, then the\n"
           "installed content.\n"
           "\n"
           "  --out PATH     video file to write (default tav.mp4, or tav.mkv with --lossless): H.264 and\n"
           "                 AAC in MP4; a name ending in .mkv writes Matroska\n"
           "  --fps N        frames per second, 1 to 1000 (default 60)\n"
           "  --png DIR      write DIR/frame_000000.png ... and DIR/audio.wav instead of a video file\n"
           "  --seconds S    stop after S seconds of show (default: until the show ends by itself)\n"
           "  --size WxH     scale the 800 x 600 picture into W x H (even, 16 to 7680), aspect kept with black\n"
           "                 bars: whole multiples pixel for pixel, other sizes with a Lanczos filter\n"
           "  --crf N        H.264 quality, 0 (best, largest) to 51 (default 20)\n"
           "  --preset NAME  x264 preset, ultrafast ... placebo: slower is smaller (default superfast)\n"
           "  --pixel-format yuv420p (default, plays everywhere) or yuv444p (full colour detail, sharp red\n"
           "                 text; fewer players)\n"
           "  --lossless     FFV1 video, every pixel exact, in a Matroska file (.mkv)\n"
           "  --audio A      aac (default), flac or pcm; flac and pcm need an .mkv file (default there: flac\n"
           "                 with --lossless)\n"
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
        if (name == "--lossless") {
            if (hasInlineValue) {
                error = name + " takes no value";
                return OptionsResult::UsageError;
            }
            options.lossless = true;
            continue;
        }
        if (name != "--out" && name != "--fps" && name != "--png" && name != "--seconds" && !isEncodingOption(name)) {
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
        if (isEncodingOption(name)) {
            if (!parseEncodingOption(name, value, options, error)) return OptionsResult::UsageError;
            continue;
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
    if (options.renderOnly && (outGiven || !options.pngDir.empty() || options.width || !options.crf.empty() ||
                               !options.preset.empty() || !options.pixelFormat.empty() || options.lossless ||
                               !options.audio.empty())) {
        error = "--render-only writes nothing: it cannot be used with --out, --png or an encoding option";
        return OptionsResult::UsageError;
    }
    if (options.lossless && !outGiven) options.outPath = "tav.mkv";
    if (!checkCombination(options, error)) return OptionsResult::UsageError;
    return OptionsResult::Run;
}
