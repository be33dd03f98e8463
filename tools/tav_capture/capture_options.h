// SPDX-License-Identifier: MIT
// Command-line options of tav-capture. Parsing never exits: it returns what to do and, on a usage error, the
// one-line message to print (the caller exits with code 2).
#pragma once

#include <string>

struct CaptureOptions {
    std::string outPath = "tav.mp4";   // the MP4 file, unless pngDir is set
    std::string pngDir;                // non-empty: PNG frames and audio.wav in this folder instead of MP4
    int fps = 60;
    double seconds = 0.0;              // > 0: stop after this much show time
    bool renderOnly = false;           // draw every frame, read nothing back, write nothing (for timing)
    int width = 0;                     // > 0: frames scaled into width x height, aspect kept, bars black
    int height = 0;
    std::string crf;                   // empty: the encoder's default for the capture
    std::string preset;
    std::string pixelFormat;           // "yuv420p" or "yuv444p"; empty: yuv420p
    bool lossless = false;             // FFV1 (RGB, exact) in Matroska instead of H.264
    std::string audio;                 // "aac", "flac" or "pcm"; empty: the container's default
    bool help = false;
};

enum class OptionsResult { Run, Help, UsageError };

OptionsResult parseCaptureOptions(int argc, char** argv, CaptureOptions& options, std::string& error);
const char* captureUsageText();
// Whether the video file is Matroska (its name ends in .mkv) rather than MP4.
bool captureWritesMatroska(const CaptureOptions& options);
