// SPDX-License-Identifier: MIT
// Running tav-capture for the tests; see capture_run.h.
#include "tests/capture/capture_run.h"

#include <png.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

namespace fs = std::filesystem;

static const fs::path buildDir = TAV_BUILD_DIR;
static const fs::path fastModule = buildDir / "test-content" / "fast" / "Data" / "sfx" / "trancen.xm";

std::vector<char> fileBytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A fresh folder laid out as a user would: the content archive, and the fast soundtrack as a loose file that
// wins over the archive's own.
fs::path contentFolder(const std::string& name)
{
    fs::path dir = fs::temp_directory_path() / ("tav_capture_show_" + name + "_" + std::to_string(getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir / "Data" / "sfx");
    fs::copy_file(fastModule, dir / "Data" / "sfx" / "trancen.xm");
    fs::create_symlink(buildDir / "vel.kod", dir / "vel.kod");
    return dir;
}

CaptureRunResult runCapture(const fs::path& dir, const std::string& arguments)
{
    std::string command = "cd '" + dir.string() + "' && '" TAV_CAPTURE_EXE "' " + arguments +
                          " >stdout.txt 2>stderr.txt";
    CaptureRunResult run;
    int status = std::system(command.c_str());
    run.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::vector<char> err = fileBytes(dir / "stderr.txt");
    run.err.assign(err.begin(), err.end());
    return run;
}

std::vector<unsigned char> readPngRgb(const fs::path& path, int width, int height)
{
    png_image image = {};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return {};
    image.format = PNG_FORMAT_RGB;
    std::vector<unsigned char> rgb(PNG_IMAGE_SIZE(image));
    if (int(image.width) != width || int(image.height) != height ||
        !png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr))
        return {};
    return rgb;
}

