// SPDX-License-Identifier: MIT
// The generated data archive as the program sees it: every member found by the program's own lookup, every
// picture decoded by the program's own Targa decoder at a size that suits where the show draws it.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <unistd.h>
#include <vector>

#include <gtest/gtest.h>
#include <minizip/unzip.h>

#include "media/data_files.h"
#include "media/image_decoding.h"
#include "media/sprite.h"

namespace {

const int kRgba = 0x1908;

// The paths the show asks for, spelled as it spells them.
const std::vector<std::string> kPicturePaths = {
    "Data/Gfx/loading.tga", "Data/Fonts/GameFont.tga", "Data/gfx/box_0.tga", "Data/gfx/alfa.tga",
    "Data/gfx/particle.tga", "Data/gfx/particle0.tga", "Data/gfx/particle1.tga", "Data/gfx/particle2.tga",
    "Data/gfx/particle3.tga", "Data/gfx/particle4.tga", "Data/gfx/g0.tga", "Data/gfx/g1.tga", "Data/gfx/g2.tga",
    "Data/gfx/g3.tga", "Data/gfx/g4.tga", "Data/gfx/g5.tga", "Data/gfx/theend.tga", "data/gfx/zemlja.tga",
    "data/gfx/zemlja2.tga", "data/gfx/krovit.tga", "data/gfx/tambrel.tga", "data/gfx/vel.tga",
    "data/gfx/presents.tga", "data/gfx/kologo.tga", "data/gfx/back_0.tga", "data/gfx/brodic.tga",
    "data/gfx/code.tga", "data/gfx/gfx.tga", "data/gfx/sfx.tga"};
const char* const kSoundtrack = "Data/sfx/trancen.xm";

std::vector<unsigned char> readBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

struct Decoded {
    int width = 0, height = 0, format = 0;
    std::vector<unsigned char> pixels; // rows bottom first, RGBA
};

// Runs in a fresh empty folder holding only a copy of the archive, so nothing loose can answer a lookup.
class ContentArchiveTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        char pattern[] = "/tmp/tav-content-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder = pattern;
        ASSERT_EQ(getcwd(previous, sizeof previous), previous);
        std::vector<unsigned char> archive = readBytes(std::string(TAV_BUILD_DIR) + "/vel.kod");
        ASSERT_FALSE(archive.empty()) << "build/vel.kod is missing";
        std::ofstream(folder + "/vel.kod", std::ios::binary)
            .write(reinterpret_cast<const char*>(archive.data()), static_cast<std::streamsize>(archive.size()));
        ASSERT_EQ(chdir(folder.c_str()), 0);
        setArchiveName("vel.kod");
        for (const std::string& path : kPicturePaths) {
            Image image;
            Decoded d;
            if (decodeTarga(&image, path.c_str())) {
                d.width = image.width;
                d.height = image.height;
                d.format = image.format;
                size_t bytes = static_cast<size_t>(image.width) * image.height * (image.format == kRgba ? 4 : 3);
                d.pixels.assign(image.pixels, image.pixels + bytes);
            }
            decoded[path] = d;
        }
    }
    static void TearDownTestSuite()
    {
        if (chdir(previous) != 0)
            ADD_FAILURE() << "cannot return to " << previous;
        std::system(("rm -rf '" + folder + "'").c_str());
    }

    static const Decoded& picture(const std::string& path) { return decoded[path]; }
    // Alpha at (x, y) counted from the picture's top-left corner, as the show places it.
    static int alphaAt(const Decoded& d, int x, int y)
    {
        return d.pixels[(static_cast<size_t>(d.height - 1 - y) * d.width + x) * 4 + 3];
    }

    static std::string folder;
    static char previous[4096];
    static std::map<std::string, Decoded> decoded;
};

std::string ContentArchiveTest::folder;
char ContentArchiveTest::previous[4096];
std::map<std::string, Decoded> ContentArchiveTest::decoded;

bool powerOfTwo(int v)
{
    return v > 0 && (v & (v - 1)) == 0;
}

TEST_F(ContentArchiveTest, EveryPictureDecodesAs32BitWithPowerOfTwoSides)
{
    for (const std::string& path : kPicturePaths) {
        const Decoded& d = picture(path);
        ASSERT_FALSE(d.pixels.empty()) << path << " does not decode";
        EXPECT_EQ(d.format, kRgba) << path;
        EXPECT_TRUE(powerOfTwo(d.width) && powerOfTwo(d.height)) << path << " is " << d.width << " x " << d.height;
        EXPECT_EQ(dataFileSize(path.c_str()), 18 + d.width * d.height * 4) << path;
    }
}

TEST_F(ContentArchiveTest, PicturesShownAtNativeSizeFitTheWindowWhereTheShowPutsThem)
{
    // Base position plus the largest jitter (7 right, 3 down) must keep the picture inside 800 x 600.
    struct Placement {
        const char* path;
        int x, y, jitterX, jitterY;
    };
    const Placement placements[] = {
        {"data/gfx/code.tga", 10, 350, 7, 3}, {"data/gfx/gfx.tga", 10, 10, 7, 3},
        {"data/gfx/sfx.tga", 500, 400, 7, 3}, {"data/gfx/zemlja.tga", 544, 344, 0, 0},
        {"data/gfx/tambrel.tga", 100, 300, 0, 0}, {"data/gfx/presents.tga", 500, 400, 2, 0},
        {"data/gfx/brodic.tga", 500, 40, 7, 3}};
    for (const Placement& p : placements) {
        const Decoded& d = picture(p.path);
        EXPECT_LE(p.x + p.jitterX + d.width, 800) << p.path;
        EXPECT_LE(p.y + p.jitterY + d.height, 600) << p.path;
    }
    // The loading and closing pictures are centred as 256 x 256 pictures; the font is a 16 x 16 grid of 16s.
    for (const char* path : {"Data/Gfx/loading.tga", "Data/gfx/theend.tga", "Data/Fonts/GameFont.tga"}) {
        EXPECT_EQ(picture(path).width, 256) << path;
        EXPECT_EQ(picture(path).height, 256) << path;
    }
    EXPECT_EQ(picture("data/gfx/back_0.tga").width, 256);
    // brodic is the small jittering sprite: it must stay small.
    EXPECT_LE(picture("data/gfx/brodic.tga").width, 128);
}

TEST_F(ContentArchiveTest, AlphaChannelsSuitHowEachPictureIsBlended)
{
    // Particles and tiles are drawn as additive squares: their borders must be fully transparent and their
    // centres lit.
    std::vector<std::string> glows = {"Data/gfx/particle.tga", "Data/gfx/particle0.tga", "Data/gfx/particle1.tga",
                                      "Data/gfx/particle2.tga", "Data/gfx/particle3.tga", "Data/gfx/particle4.tga",
                                      "Data/gfx/g0.tga", "Data/gfx/g1.tga", "Data/gfx/g2.tga", "Data/gfx/g3.tga",
                                      "Data/gfx/g4.tga", "Data/gfx/g5.tga"};
    for (const std::string& path : glows) {
        const Decoded& d = picture(path);
        ASSERT_FALSE(d.pixels.empty()) << path;
        int borderMax = 0;
        for (int i = 0; i < d.width; ++i)
            borderMax = std::max({borderMax, alphaAt(d, i, 0), alphaAt(d, i, d.height - 1), alphaAt(d, 0, i),
                                  alphaAt(d, d.width - 1, i)});
        EXPECT_EQ(borderMax, 0) << path;
        if (path.find("particle") != std::string::npos) {
            EXPECT_GT(alphaAt(d, d.width / 2, d.height / 2), 128) << path;
        } else {
            // A tile is a bold shape: a good part of it is lit.
            size_t lit = 0;
            for (size_t i = 3; i < d.pixels.size(); i += 4)
                lit += d.pixels[i] > 128 ? 1 : 0;
            EXPECT_GT(lit * 10, d.pixels.size() / 4) << path;
        }
    }
    // The cube grid's backdrop covers the window: fully opaque.
    const Decoded& alfa = picture("Data/gfx/alfa.tga");
    ASSERT_FALSE(alfa.pixels.empty());
    for (size_t i = 3; i < alfa.pixels.size(); i += 4)
        ASSERT_EQ(alfa.pixels[i], 255) << "alfa pixel " << i / 4;
    // krovit is stretched over the cube rows: mostly clear.
    const Decoded& krovit = picture("data/gfx/krovit.tga");
    ASSERT_FALSE(krovit.pixels.empty());
    size_t clear = 0;
    for (size_t i = 3; i < krovit.pixels.size(); i += 4)
        clear += krovit.pixels[i] < 26 ? 1 : 0;
    EXPECT_GT(clear * 2, krovit.pixels.size() / 4);
}

TEST_F(ContentArchiveTest, FontTextureHoldsEachPrintableGlyphInTheCellOfItsCode)
{
    const Decoded& font = picture("Data/Fonts/GameFont.tga");
    ASSERT_EQ(font.width, 256);
    // Cells are counted row by row from the top-left corner of the picture.
    auto inked = [&](int code) {
        int count = 0;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x)
                count += alphaAt(font, (code % 16) * 16 + x, (code / 16) * 16 + y) > 128 ? 1 : 0;
        return count;
    };
    for (int code = 33; code <= 126; ++code)
        EXPECT_GT(inked(code), 4) << "glyph " << code;
    for (int code : {0, 10, 31, 32, 127, 128, 200, 255})
        EXPECT_EQ(inked(code), 0) << "cell " << code;
    // 'T' has a full top bar and a stem; '_' has ink only at the bottom: the picture is not upside down.
    auto rowInk = [&](int code, int y) {
        int count = 0;
        for (int x = 0; x < 16; ++x)
            count += alphaAt(font, (code % 16) * 16 + x, (code / 16) * 16 + y) > 128 ? 1 : 0;
        return count;
    };
    int topOfUnderscore = 0, bottomOfUnderscore = 0;
    for (int y = 0; y < 8; ++y)
        topOfUnderscore += rowInk('_', y);
    for (int y = 8; y < 16; ++y)
        bottomOfUnderscore += rowInk('_', y);
    EXPECT_EQ(topOfUnderscore, 0);
    EXPECT_GT(bottomOfUnderscore, 0);
    // Glyphs leave a gap before the font's advance of 10 pixels.
    for (int code = 33; code <= 126; ++code)
        for (int y = 0; y < 16; ++y)
            for (int x = 10; x < 16; ++x)
                ASSERT_LE(alphaAt(font, (code % 16) * 16 + x, (code / 16) * 16 + y), 160) << "glyph " << code;
}

TEST_F(ContentArchiveTest, ArchiveHoldsExactlyTheThirtyFilesDeflatedWithFixedDates)
{
    unzFile zip = unzOpen("vel.kod");
    ASSERT_NE(zip, nullptr);
    std::vector<std::string> names;
    std::vector<unsigned long> dates;
    for (int r = unzGoToFirstFile(zip); r == UNZ_OK; r = unzGoToNextFile(zip)) {
        unz_file_info info;
        char name[256];
        ASSERT_EQ(unzGetCurrentFileInfo(zip, &info, name, sizeof name, nullptr, 0, nullptr, 0), UNZ_OK);
        names.push_back(name);
        dates.push_back(info.dosDate);
        EXPECT_EQ(info.compression_method, 8u) << name;
    }
    unzClose(zip);
    std::vector<std::string> expected = kPicturePaths;
    expected.push_back(kSoundtrack);
    std::sort(names.begin(), names.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(names, expected);
    for (unsigned long d : dates)
        EXPECT_EQ(d, dates.front());

    int size = 0;
    unsigned char* song = loadWholeFile(kSoundtrack, &size);
    ASSERT_NE(song, nullptr);
    EXPECT_EQ(size, dataFileSize(kSoundtrack));
    EXPECT_EQ(std::memcmp(song, "Extended Module: ", 17), 0);
    std::free(song);
}

TEST(ContentGenerator, TwoRunsWriteTheSameBytes)
{
    char pattern[] = "/tmp/tav-content-twice-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    std::string folder = pattern;
    std::string tool = TAV_MAKE_CONTENT;
    ASSERT_EQ(std::system((tool + " '" + folder + "/a' && " + tool + " '" + folder + "/b'").c_str()), 0);
    for (const char* file : {"vel.kod", "content-sheet.png", "icons/tav-48.png", "icons/tav-128.png",
                             "icons/tav-256.png", "test-content/fast/Data/sfx/trancen.xm",
                             "test-content/lengths/Data/sfx/trancen.xm"}) {
        std::vector<unsigned char> a = readBytes(folder + "/a/" + file);
        std::vector<unsigned char> b = readBytes(folder + "/b/" + file);
        EXPECT_FALSE(a.empty()) << file;
        EXPECT_TRUE(a == b) << file << " differs between two runs";
    }
    // The build's own archive came from the same program.
    EXPECT_TRUE(readBytes(folder + "/a/vel.kod") == readBytes(std::string(TAV_BUILD_DIR) + "/vel.kod"));
    std::system(("rm -rf '" + folder + "'").c_str());
}

} // namespace
