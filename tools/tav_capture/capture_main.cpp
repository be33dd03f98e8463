#include "tools/tav_capture/capture_options.h"
#include <cstdio>
int main(int argc, char** argv)
{
    CaptureOptions options;
    std::string error;
    OptionsResult r = parseCaptureOptions(argc, argv, options, error);
    if (r == OptionsResult::UsageError) { std::fprintf(stderr, "tav-capture: %s\n", error.c_str()); return 2; }
    if (r == OptionsResult::Help) { std::fputs(captureUsageText(), stdout); return 0; }
    return 0;
}
