// SPDX-License-Identifier: MIT
// Targa and bitmap decoding of files written by ImageMagick and of hand-made edge cases and malformed files.
// Built with the address sanitizer, so a read past any loaded buffer fails the test.
#include <cstdlib>
#include <ostream>
#include <string>

#include "media/image_decoding.h"
#include "media/sprite.h"
#include "tests/media/test_files.h"

static const int rgb = 0x1907;
static const int rgba = 0x1908;

static Bytes pixelsOf(const Image& image) {
    size_t bytesPerPixel = image.format == rgba ? 4 : 3;
    return Bytes(image.pixels, image.pixels + image.width * image.height * bytesPerPixel);
}

// An 18-byte header of an uncompressed true-colour Targa, followed by count bytes of pixels.
static Bytes targa(int width, int height, int depth, size_t count) {
    Bytes file(18 + count, 0);
    file[2] = 2;
    putLittleEndian(file, 12, width, 2);
    putLittleEndian(file, 14, height, 2);
    file[16] = static_cast<unsigned char>(depth);
    for (size_t i = 0; i < count; ++i) {
        file[18 + i] = static_cast<unsigned char>(i + 1);
    }
    return file;
}

// File and info headers of a bitmap with its pixel block at offset 54, followed by count bytes of pixels.
static Bytes bitmap(int width, int height, int bits, size_t count, int compression = 0) {
    Bytes file(54 + count, 0);
    file[0] = 'B';
    file[1] = 'M';
    putLittleEndian(file, 2, file.size(), 4);
    putLittleEndian(file, 10, 54, 4);
    putLittleEndian(file, 14, 40, 4);
    putLittleEndian(file, 18, static_cast<unsigned>(width), 4);
    putLittleEndian(file, 22, static_cast<unsigned>(height), 4);
    putLittleEndian(file, 26, 1, 2);
    putLittleEndian(file, 28, bits, 2);
    putLittleEndian(file, 30, compression, 4);
    for (size_t i = 0; i < count; ++i) {
        file[54 + i] = static_cast<unsigned char>(i + 1);
    }
    return file;
}

typedef ScratchFolderTest Decoding;

TEST_F(Decoding, TargaPixelsGetRedAndBlueExchanged) {
    writeFile("rgb.tga", targa(2, 1, 24, 6));
    Image image;
    ASSERT_TRUE(image.loadImageFile("rgb.tga", imageTypeTarga));
    EXPECT_EQ(image.width, 2);
    EXPECT_EQ(image.height, 1);
    EXPECT_EQ(image.format, rgb);
    EXPECT_EQ(pixelsOf(image), (Bytes{3, 2, 1, 6, 5, 4}));

    // Alpha stays in byte 3; the descriptor byte (here: top-left origin, 8 alpha bits) changes nothing.
    Bytes withAlpha = targa(1, 2, 32, 8);
    withAlpha[17] = 0x28;
    writeFile("rgba.tga", withAlpha);
    Image alpha;
    ASSERT_TRUE(alpha.loadImageFile("rgba.tga", imageTypeTarga));
    EXPECT_EQ(alpha.format, rgba);
    EXPECT_EQ(pixelsOf(alpha), (Bytes{3, 2, 1, 4, 7, 6, 5, 8}));
}

TEST_F(Decoding, BitmapPixelsGetRedAndBlueExchanged) {
    writeFile("rgb.bmp", bitmap(4, 2, 24, 24));
    Image image;
    ASSERT_TRUE(image.loadImageFile("rgb.bmp", imageTypeBitmap));
    EXPECT_EQ(image.width, 4);
    EXPECT_EQ(image.height, 2);
    EXPECT_EQ(image.format, rgb);
    Bytes expected;
    for (int p = 0; p < 8; ++p) {
        expected.insert(expected.end(), {static_cast<unsigned char>(3 * p + 3), static_cast<unsigned char>(3 * p + 2),
                                         static_cast<unsigned char>(3 * p + 1)});
    }
    EXPECT_EQ(pixelsOf(image), expected);

    writeFile("rgba.bmp", bitmap(1, 2, 32, 8));
    Image alpha;
    ASSERT_TRUE(alpha.loadImageFile("rgba.bmp", imageTypeBitmap));
    EXPECT_EQ(alpha.format, rgba);
    EXPECT_EQ(pixelsOf(alpha), (Bytes{3, 2, 1, 4, 7, 6, 5, 8}));
}

TEST_F(Decoding, TwentyFourBitBitmapRowsSkipTheirAlignment) {
    // 2 pixels of 3 bytes per row, padded to 8; the last row's padding is absent.
    Bytes file = bitmap(2, 2, 24, 14);
    writeFile("pad.bmp", file);
    Image image;
    ASSERT_TRUE(image.loadImageFile("pad.bmp", imageTypeBitmap));
    EXPECT_EQ(pixelsOf(image), (Bytes{3, 2, 1, 6, 5, 4, 11, 10, 9, 14, 13, 12}));
}

TEST_F(Decoding, TypeCodesOtherThanTargaAndBitmapFail) {
    writeFile("rgb.tga", targa(2, 1, 24, 6));
    Image image;
    EXPECT_FALSE(image.loadImageFile("rgb.tga", 3));
    EXPECT_FALSE(image.loadImageFile("rgb.tga", 0));
    EXPECT_EQ(image.pixels, nullptr);
    EXPECT_EQ(image.width, 0);
    EXPECT_EQ(image.format, 0);
}

TEST_F(Decoding, RawLoadsTakeTheFileAsItIs) {
    Bytes file{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    writeFile("raw.bin", file);
    Image image;
    ASSERT_TRUE(image.loadRaw("raw.bin", 2, 2, rgb));
    EXPECT_EQ(image.width, 2);
    EXPECT_EQ(image.height, 2);
    EXPECT_EQ(image.format, rgb);
    EXPECT_EQ(pixelsOf(image), file);

    // Dimensions that need more bytes than the file holds, or make no sense, are refused.
    Image tooShort;
    EXPECT_FALSE(tooShort.loadRaw("raw.bin", 2, 2, rgba));
    EXPECT_FALSE(tooShort.loadRaw("raw.bin", 65535, 65535, rgba));
    EXPECT_FALSE(tooShort.loadRaw("raw.bin", -2, -2, rgb));
    EXPECT_FALSE(tooShort.loadRaw("raw.bin", 0, 2, rgb));
    EXPECT_FALSE(tooShort.loadRaw("missing.bin", 1, 1, rgb));
    EXPECT_EQ(tooShort.pixels, nullptr);
    EXPECT_EQ(tooShort.width, 0);
}

struct Malformed {
    const char* label;
    int type;
    Bytes file;
};

static void PrintTo(const Malformed& item, std::ostream* out) {
    *out << item.label;
}

static Bytes with(Bytes file, size_t offset, unsigned long long value, int count) {
    putLittleEndian(file, offset, value, count);
    return file;
}

static Bytes cut(Bytes file, size_t size) {
    file.resize(size);
    return file;
}

static Bytes bitFields(int bits, uint32_t red, uint32_t green, uint32_t blue) {
    Bytes file = bitmap(1, 1, bits, 16, 3);
    putLittleEndian(file, 54, red, 4);
    putLittleEndian(file, 58, green, 4);
    putLittleEndian(file, 62, blue, 4);
    return with(file, 10, 66, 4);
}

static std::vector<Malformed> malformedFiles() {
    return {
        {"TargaEmpty", 1, Bytes()},
        {"TargaHeaderTruncated", 1, cut(targa(2, 1, 24, 6), 17)},
        {"TargaPixelsTruncated", 1, cut(targa(2, 2, 24, 12), 18 + 11)},
        {"TargaHugeDimensions", 1, targa(65535, 65535, 32, 64)},
        {"TargaIdLengthOne", 1, with(targa(2, 1, 24, 7), 0, 1, 1)},
        {"TargaRunLength", 1, with(targa(2, 1, 24, 6), 2, 10, 1)},
        {"TargaColourMapped", 1, with(with(targa(2, 1, 24, 6), 1, 1, 1), 2, 1, 1)},
        {"TargaGreyScale", 1, with(targa(2, 1, 24, 6), 2, 3, 1)},
        {"TargaOrigin", 1, with(targa(2, 1, 24, 6), 8, 1, 2)},
        {"TargaDepth16", 1, targa(2, 1, 16, 4)},
        {"TargaDepth8", 1, targa(2, 1, 8, 2)},
        {"TargaZeroWidth", 1, targa(0, 1, 24, 6)},
        {"TargaZeroHeight", 1, targa(2, 0, 24, 6)},
        {"BitmapEmpty", 2, Bytes()},
        {"BitmapNoMark", 2, with(bitmap(1, 1, 24, 4), 0, 'X', 1)},
        {"BitmapFileHeaderTruncated", 2, cut(bitmap(1, 1, 24, 4), 10)},
        {"BitmapInfoHeaderTruncated", 2, cut(bitmap(1, 1, 24, 4), 40)},
        {"Bitmap8Bit", 2, bitmap(4, 1, 8, 4)},
        {"Bitmap16Bit", 2, bitmap(2, 1, 16, 4)},
        {"BitmapNegativeHeight", 2, bitmap(1, -1, 24, 4)},
        {"BitmapZeroWidth", 2, bitmap(0, 1, 24, 4)},
        {"BitmapPixelsTruncated", 2, cut(bitmap(4, 2, 24, 24), 54 + 23)},
        {"BitmapPaddedRowsTruncated", 2, cut(bitmap(2, 2, 24, 14), 54 + 13)},
        {"BitmapOffsetPastEnd", 2, with(bitmap(1, 1, 24, 4), 10, 0x7FFFFFF0, 4)},
        {"BitmapOffsetRunsPastEnd", 2, with(bitmap(1, 1, 24, 4), 10, 56, 4)},
        {"BitmapHugeDimensions", 2, with(with(bitmap(1, 1, 32, 4), 18, 0x7FFFFFFF, 4), 22, 0x7FFFFFFF, 4)},
        {"BitmapHugeWidth", 2, with(bitmap(1, 1, 24, 4), 18, 0x7FFFFFFF, 4)},
        {"BitmapRunLength8", 2, bitmap(1, 1, 24, 4, 1)},
        {"BitmapRunLength4", 2, bitmap(1, 1, 24, 4, 2)},
        {"BitmapJpeg", 2, bitmap(1, 1, 24, 4, 4)},
        {"BitmapBitFields565", 2, bitFields(32, 0xF800, 0x07E0, 0x001F)},
        {"BitmapBitFieldsSwapped", 2, bitFields(32, 0x000000FF, 0x0000FF00, 0x00FF0000)},
        {"BitmapBitFields24", 2, bitFields(24, 0x00FF0000, 0x0000FF00, 0x000000FF)},
        {"BitmapBitFieldsMissing", 2, cut(bitmap(1, 1, 32, 4, 3), 58)},
    };
}

class MalformedFiles : public ScratchFolderTest, public ::testing::WithParamInterface<Malformed> {};

TEST_P(MalformedFiles, AreRejected) {
    writeFile("bad.img", GetParam().file);
    Image image;
    EXPECT_FALSE(image.loadImageFile("bad.img", GetParam().type));
    EXPECT_EQ(image.pixels, nullptr);
}

INSTANTIATE_TEST_SUITE_P(, MalformedFiles, ::testing::ValuesIn(malformedFiles()),
                         [](const ::testing::TestParamInfo<Malformed>& info) { return info.param.label; });

TEST_F(Decoding, BitFieldsWithThePlainMasksDecodeAsPlain) {
    writeFile("fields.bmp", bitFields(32, 0x00FF0000, 0x0000FF00, 0x000000FF));
    Image image;
    ASSERT_TRUE(image.loadImageFile("fields.bmp", imageTypeBitmap));
    EXPECT_EQ(image.format, rgba);
    // Pixel bytes sit after the 12 mask bytes.
    EXPECT_EQ(pixelsOf(image), (Bytes{15, 14, 13, 16}));
}

// Files written by ImageMagick from a picture whose every pixel differs, given top row first. Bitmaps store
// the bottom row first. The Targa files are written top row first, marked so in their descriptor, which the
// decoder leaves unexamined: their rows must come out in file order, top row first.
struct Written {
    const char* label;
    int type;
    bool alpha;
    bool topRowFirst;
    const char* output;   // ImageMagick output options and format
};

static void PrintTo(const Written& item, std::ostream* out) {
    *out << item.label;
}

class WrittenByImageMagick : public ScratchFolderTest, public ::testing::WithParamInterface<Written> {};

static unsigned char channel(int x, int y, int c) {
    return static_cast<unsigned char>(x * 37 + y * 71 + c * 53 + 5);
}

TEST_P(WrittenByImageMagick, DecodeToTheSourcePixels) {
    const Written& item = GetParam();
    int height = 3;
    for (int width : {4, 5, 7}) {
        SCOPED_TRACE(width);
        int channels = item.alpha ? 4 : 3;
        std::string header = item.alpha ? "P7\nWIDTH " + std::to_string(width) + "\nHEIGHT " + std::to_string(height) +
                                              "\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n"
                                        : "P6\n" + std::to_string(width) + " " + std::to_string(height) + "\n255\n";
        Bytes source(header.begin(), header.end());
        Bytes expected(static_cast<size_t>(width * height * channels));
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                for (int c = 0; c < channels; ++c) {
                    source.push_back(channel(x, y, c));
                    expected[((item.topRowFirst ? y : height - 1 - y) * width + x) * channels + c] = channel(x, y, c);
                }
            }
        }
        std::string sourceName = item.alpha ? "source.pam" : "source.ppm";
        writeFile(sourceName, source);
        ASSERT_EQ(run("convert " + sourceName + " " + item.output), 0);

        std::string outputName = item.type == imageTypeTarga ? "out.tga" : "out.bmp";
        Image image;
        ASSERT_TRUE(image.loadImageFile(outputName.c_str(), item.type));
        EXPECT_EQ(image.width, width);
        EXPECT_EQ(image.height, height);
        EXPECT_EQ(image.format, item.alpha ? rgba : rgb);
        EXPECT_EQ(pixelsOf(image), expected);
    }
}

INSTANTIATE_TEST_SUITE_P(
    , WrittenByImageMagick,
    ::testing::Values(
        Written{"Targa24", imageTypeTarga, false, true, "-type TrueColor -compress None -orient TopLeft TGA:out.tga"},
        Written{"Targa32", imageTypeTarga, true, true, "-type TrueColorAlpha -compress None -orient TopLeft TGA:out.tga"},
        Written{"Bmp3_24", imageTypeBitmap, false, false, "-type TrueColor BMP3:out.bmp"},
        Written{"Bmp3_32", imageTypeBitmap, true, false, "-type TrueColorAlpha -define bmp3:alpha=true BMP3:out.bmp"},
        Written{"Bmp5BitFields32", imageTypeBitmap, true, false, "-type TrueColorAlpha BMP:out.bmp"}),
    [](const ::testing::TestParamInfo<Written>& info) { return info.param.label; });

TEST_F(Decoding, ImageMagickRunLengthFilesAreRefused) {
    writeFile("source.ppm", Bytes{'P', '6', '\n', '4', ' ', '1', '\n', '2', '5', '5', '\n', 9, 9, 9, 9, 9, 9, 9, 9, 9,
                                  9, 9, 9});
    ASSERT_EQ(run("convert source.ppm -type TrueColor -compress RLE TGA:rle.tga"), 0);
    Image image;
    EXPECT_FALSE(image.loadImageFile("rle.tga", imageTypeTarga));
    EXPECT_EQ(image.pixels, nullptr);
}
