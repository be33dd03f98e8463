// SPDX-License-Identifier: MIT
// The show drawn twice by separate programs, each on Mesa's llvmpipe: by the desktop-GL build and by the same
// program over the OpenGL 1.1 layer on GLES 3. The frames at fixed music positions (show_frame_native against
// show_frame_gl11) and a whole show captured as PNG (tav-capture against tav-capture-gl11, the fast test
// soundtrack) are compared frame by frame and held to the bounds measured for them. The show never clears, so
// rounding carries on from frame to frame: the bounds are looser than a single GL case's.
// GL11_FULL_SHOW=1 captures the full-length soundtrack instead (minutes; for the figures, not for the suite).
#include "tests/gl11/picture_diff.h"

#include <gtest/gtest.h>
#include <png.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

const fs::path buildDir = TAV_BUILD_DIR;

struct Worst {
    int largestInside = 0;     // levels, inside shapes
    double insideShare = 0;    // share of a frame's pixels differing inside shapes
    double flippedShare = 0;   // share of a frame's pixels on edges differing by more than roundingLevels
};

// The browser picture test's shots (tests/e2e_web/frame_steps.cpp) and every frame of a whole show: the layer
// draws them byte for byte as Mesa does. On the way there they differed by up to 15 levels on a quarter of a
// shot's pixels, and a whole show by 36 levels on 26 % of a frame (lowp texels, interpolated constant
// colours), then by a level where cube edges meet (quads split one by one, where Mesa splits a draw's alike).
const char* const shots[] = {"titles", "cube_rows", "quad_field", "cube_grid", "quad_field_alpha"};

bool same(const PictureDiff& d)
{
    return d.differingInside == 0 && d.differingEdge == 0;
}

int run(const std::string& command)
{
    std::fflush(stdout);
    return std::system(command.c_str());
}

std::string quoted(const fs::path& path)
{
    return "'" + path.string() + "'";
}

std::vector<unsigned char> fileBytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// RGBA, empty when the file is not a PNG of width x height.
std::vector<unsigned char> readPng(const fs::path& path, int width, int height)
{
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    std::vector<unsigned char> rgba;
    if (!png_image_begin_read_from_file(&image, path.c_str()))
        return rgba;
    image.format = PNG_FORMAT_RGBA;
    if (static_cast<int>(image.width) != width || static_cast<int>(image.height) != height) {
        png_image_free(&image);
        return rgba;
    }
    rgba.resize(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, rgba.data(), 0, nullptr))
        rgba.clear();
    return rgba;
}

class Gl11Show : public ::testing::Test {
protected:
    fs::path dir;

    void SetUp() override
    {
        dir = fs::temp_directory_path() / ("tav_gl11_show_" + std::to_string(getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override
    {
        if (!HasFailure())
            fs::remove_all(dir);
        else
            std::printf("pictures kept in %s\n", dir.c_str());
    }
};

TEST_F(Gl11Show, FramesAtFixedPositionsMatchMesa)
{
    ASSERT_TRUE(fs::exists(buildDir / "vel.kod"));
    fs::create_directories(dir / "mesa");
    fs::create_directories(dir / "layer");
    ASSERT_EQ(run(quoted(SHOW_FRAME_NATIVE) + " " + quoted(dir / "mesa") + " " + quoted(buildDir)), 0);
    ASSERT_EQ(run(quoted(SHOW_FRAME_GL11) + " " + quoted(dir / "layer") + " " + quoted(buildDir)), 0);
    PictureDiff all;
    for (const char* shot : shots) {
        const std::string file = std::string(shot) + ".rgba";
        const std::vector<unsigned char> mesa = fileBytes(dir / "mesa" / file);
        const std::vector<unsigned char> layer = fileBytes(dir / "layer" / file);
        ASSERT_EQ(mesa.size(), 800u * 600u * 4u) << file;
        ASSERT_EQ(layer.size(), mesa.size()) << file;
        const PictureDiff d = comparePictures(mesa.data(), layer.data(), 800, 600);
        all.add(d);
        std::printf("  %-17s %s\n", shot, d.describe().c_str());
        EXPECT_TRUE(same(d)) << shot << ": " << d.describe();
    }
    std::printf("  %-17s %s\n", "all shots", all.describe().c_str());
}

TEST_F(Gl11Show, WholeShowCapturedAsPngMatchesMesa)
{
    const bool full = std::getenv("GL11_FULL_SHOW") && std::strcmp(std::getenv("GL11_FULL_SHOW"), "1") == 0;
    const fs::path fastModule = buildDir / "test-content" / "fast" / "Data" / "sfx" / "trancen.xm";
    ASSERT_TRUE(fs::exists(buildDir / "vel.kod"));
    fs::create_directories(dir / "content" / "Data" / "sfx");
    fs::create_symlink(buildDir / "vel.kod", dir / "content" / "vel.kod");
    if (!full) {
        ASSERT_TRUE(fs::exists(fastModule));
        fs::copy_file(fastModule, dir / "content" / "Data" / "sfx" / "trancen.xm");
    }
    const std::string options = " --fps " + std::to_string(WHOLE_SHOW_FPS) + " --png ";
    ASSERT_EQ(run("cd " + quoted(dir / "content") + " && " + quoted(TAV_CAPTURE) + options + quoted(dir / "mesa") +
                  " >/dev/null"), 0);
    ASSERT_EQ(run("cd " + quoted(dir / "content") + " && " + quoted(TAV_CAPTURE_GL11) + options +
                  quoted(dir / "layer") + " >/dev/null"), 0);

    PictureDiff all;
    Worst worst;   // the worst frame for each figure
    int frames = 0, differing = 0, failing = 0;
    for (;; ++frames) {
        char name[32];
        std::snprintf(name, sizeof name, "frame_%06d.png", frames);
        if (!fs::exists(dir / "mesa" / name))
            break;
        const std::vector<unsigned char> mesa = readPng(dir / "mesa" / name, 800, 600);
        const std::vector<unsigned char> layer = readPng(dir / "layer" / name, 800, 600);
        ASSERT_FALSE(mesa.empty()) << name;
        ASSERT_FALSE(layer.empty()) << name << ": tav-capture-gl11 wrote fewer or other frames";
        const PictureDiff d = comparePictures(mesa.data(), layer.data(), 800, 600);
        all.add(d);
        differing += d.differingInside + d.differingEdge > 0;
        worst.largestInside = std::max(worst.largestInside, d.largestInside);
        worst.insideShare = std::max(worst.insideShare, d.insideShare());
        worst.flippedShare = std::max(worst.flippedShare, d.flippedShare());
        if (!same(d) && ++failing <= 5)
            ADD_FAILURE() << name << ": " << d.describe();
    }
    char last[32];
    std::snprintf(last, sizeof last, "frame_%06d.png", frames);
    EXPECT_FALSE(fs::exists(dir / "layer" / last)) << "tav-capture-gl11 wrote more frames";
    ASSERT_GT(frames, 100);
    std::printf("  %d frames at %d fps, %d of them differ\n", frames, WHOLE_SHOW_FPS, differing);
    std::printf("  worst frames: largest %d inside, %.3f %% differing inside, %.3f %% flipped on edges\n",
                worst.largestInside, 100 * worst.insideShare, 100 * worst.flippedShare);
    std::printf("  whole show:  %s\n", all.describe().c_str());
}

}  // namespace
