// SPDX-License-Identifier: MIT
#include "tools/tav_bench/bench_setup.h"

#include <cstdlib>
#include <unistd.h>

#include "app/main.h"
#include "platform/headless/headless.h"
#include "platform/headless/pull_audio.h"
#include "show/show_steps.h"

std::string executableFolder()
{
    char path[4096];
    const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0) return "./";
    std::string text(path, static_cast<size_t>(n));
    return text.substr(0, text.rfind('/') + 1);
}

std::string makeScratchFolder(const char* tag)
{
    std::string pattern = std::string("/tmp/tav-bench-") + tag + "-XXXXXX";
    if (!mkdtemp(&pattern[0])) return "";
    return pattern;
}

bool runCommand(const std::string& command)
{
    return std::system(command.c_str()) == 0;
}

void removeFolder(const std::string& folder)
{
    if (folder.rfind("/tmp/tav-bench-", 0) == 0) runCommand("rm -rf '" + folder + "'");
}

bool putContent(const std::string& folder, bool looseFiles)
{
    const std::string archive = executableFolder() + "vel.kod";
    if (looseFiles)
        return runCommand("cd '" + folder + "' && unzip -q -o '" + archive + "'");
    return runCommand("cp '" + archive + "' '" + folder + "/vel.kod'");
}

bool loadShowQuickly(BenchWindow& bench)
{
    usePullAudio(true);
    headlessUseVirtualClock(true);
    headlessSetTickReadHook([] { headlessAdvanceClock(1000); });
    initShow(&bench.window);
    const bool loaded = loadShow(&bench.window, bench.keys);
    headlessSetTickReadHook(nullptr);
    return loaded;
}
