// SPDX-License-Identifier: MIT
// Hostile Targa and bitmap files: each must fail to load, read nothing outside its bytes and allocate no
// more than the file itself could fill.
#include <climits>
#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "media/image_decoding.h"
#include "media/sprite.h"
#include "tests/hardening/largest_allocation.h"
#include "tests/media/test_files.h"

namespace {

struct BadFile {
    const char* name;
    Bytes bytes;
};

void PrintTo(const BadFile& file, std::ostream* out) {
    *out << file.name;
}

Bytes targa(int idLength, int mapType, int type, int mapLength, int width, int height, int depth, size_t pixelBytes) {
    Bytes bytes(18, 0);
    bytes[0] = static_cast<unsigned char>(idLength);
    bytes[1] = static_cast<unsigned char>(mapType);
    bytes[2] = static_cast<unsigned char>(type);
    putLittleEndian(bytes, 5, mapLength, 2);
    bytes[7] = mapLength ? 24 : 0;
    putLittleEndian(bytes, 12, width, 2);
    putLittleEndian(bytes, 14, height, 2);
    bytes[16] = static_cast<unsigned char>(depth);
    for (size_t i = 0; i < pixelBytes; ++i) bytes.push_back(static_cast<unsigned char>(i * 31));
    return bytes;
}

Bytes plainTarga(int width, int height, int depth, size_t pixelBytes) {
    return targa(0, 0, 2, 0, width, height, depth, pixelBytes);
}

// A bitmap with the usual 54 header bytes; pixelBytes of data follow at `offset` (54 unless given).
Bytes bitmap(int32_t width, int32_t height, int bits, uint32_t compression, size_t pixelBytes, uint32_t offset = 54) {
    Bytes bytes(54, 0);
    bytes[0] = 'B';
    bytes[1] = 'M';
    putLittleEndian(bytes, 2, 54 + pixelBytes, 4);
    putLittleEndian(bytes, 10, offset, 4);
    putLittleEndian(bytes, 14, 40, 4);
    putLittleEndian(bytes, 18, static_cast<uint32_t>(width), 4);
    putLittleEndian(bytes, 22, static_cast<uint32_t>(height), 4);
    putLittleEndian(bytes, 26, 1, 2);
    putLittleEndian(bytes, 28, bits, 2);
    putLittleEndian(bytes, 30, compression, 4);
    for (size_t i = 0; i < pixelBytes; ++i) bytes.push_back(static_cast<unsigned char>(i * 17));
    return bytes;
}

Bytes cut(Bytes bytes, size_t length) {
    bytes.resize(length);
    return bytes;
}

// Every case loads as a file on disk; the decoder must say false and keep its allocations within the file.
void expectRefused(const BadFile& file, int type) {
    writeFile("bad.img", file.bytes);
    Image image;
    resetLargestAllocation();
    EXPECT_FALSE(image.loadImageFile("bad.img", type)) << file.name;
    EXPECT_EQ(image.pixels, nullptr) << file.name;
    // The file buffer itself, plus the spare byte some loaders keep.
    EXPECT_LE(largestAllocation(), file.bytes.size() + 1) << file.name;
}

std::vector<BadFile> badTargas() {
    return {
        {"header_only_65535x65535x32", plainTarga(65535, 65535, 32, 0)},
        {"header_only_16384x16384x32", plainTarga(16384, 16384, 32, 0)},
        {"16x16_with_10_pixels", plainTarga(16, 16, 24, 10 * 3)},
        {"16x16x32_one_byte_short", plainTarga(16, 16, 32, 16 * 16 * 4 - 1)},
        {"zero_width", plainTarga(0, 4, 24, 48)},
        {"zero_height", plainTarga(4, 0, 24, 48)},
        {"colour_mapped_type_1", targa(0, 1, 1, 0, 2, 2, 24, 12)},
        {"run_length_colour_mapped_type_9", targa(0, 0, 9, 0, 2, 2, 24, 12)},
        {"run_length_true_colour_type_10", targa(0, 0, 10, 0, 2, 2, 24, 12)},
        {"depth_8", plainTarga(2, 2, 8, 4)},
        {"depth_15", plainTarga(2, 2, 15, 8)},
        {"depth_16", plainTarga(2, 2, 16, 8)},
        {"id_length_255_in_30_bytes", targa(255, 0, 2, 0, 2, 2, 24, 12)},
        {"colour_map_length_with_type_2", targa(0, 0, 2, 256, 2, 2, 24, 12)},
        {"seventeen_bytes", cut(plainTarga(1, 1, 24, 0), 17)},
    };
}

std::vector<BadFile> badBitmaps() {
    return {
        {"width_minus_1", bitmap(-1, 2, 24, 0, 24)},
        {"height_0", bitmap(4, 0, 24, 0, 24)},
        {"height_int_min", bitmap(4, INT_MIN, 24, 0, 24)},
        {"width_int_max", bitmap(INT_MAX, 1, 32, 0, 24)},
        {"pixel_offset_past_the_end", bitmap(4, 2, 24, 0, 24, 1000)},
        {"pixel_offset_inside_the_header", bitmap(4, 2, 24, 0, 24, 10)},
        {"pixel_offset_zero", bitmap(4, 2, 24, 0, 24, 0)},
        {"24_bit_one_row_short", bitmap(4, 3, 24, 0, 4 * 3 * 2)},
        {"32_bit_one_byte_short", bitmap(3, 3, 32, 0, 3 * 3 * 4 - 1)},
        {"run_length_8", bitmap(4, 2, 24, 1, 24)},
        {"run_length_4", bitmap(4, 2, 24, 2, 24)},
        {"bit_fields_24_bit", bitmap(4, 2, 24, 3, 24)},
        {"jpeg", bitmap(4, 2, 24, 4, 24)},
        {"unknown_99", bitmap(4, 2, 32, 99, 32)},
        {"8_bit", bitmap(4, 2, 8, 0, 8)},
        {"headers_cut", cut(bitmap(4, 2, 24, 0, 0), 30)},
    };
}

class TargaMatrix : public ScratchFolderTest, public ::testing::WithParamInterface<BadFile> {};
class BitmapMatrix : public ScratchFolderTest, public ::testing::WithParamInterface<BadFile> {};

TEST_P(TargaMatrix, IsRefused) {
    expectRefused(GetParam(), imageTypeTarga);
}

TEST_P(BitmapMatrix, IsRefused) {
    expectRefused(GetParam(), imageTypeBitmap);
}

std::string caseName(const ::testing::TestParamInfo<BadFile>& info) {
    return info.param.name;
}

INSTANTIATE_TEST_SUITE_P(, TargaMatrix, ::testing::ValuesIn(badTargas()), caseName);
INSTANTIATE_TEST_SUITE_P(, BitmapMatrix, ::testing::ValuesIn(badBitmaps()), caseName);

// The matrix's files differ from loadable ones only in the field under test.
TEST_F(ScratchFolderTest, TheMatrixBaselinesLoad) {
    Image image;
    writeFile("good.tga", plainTarga(16, 16, 24, 16 * 16 * 3));
    EXPECT_TRUE(image.loadImageFile("good.tga", imageTypeTarga));
    image.release();
    writeFile("good.bmp", bitmap(4, 3, 24, 0, 4 * 3 * 3));
    EXPECT_TRUE(image.loadImageFile("good.bmp", imageTypeBitmap));
    EXPECT_EQ(image.width, 4);
    EXPECT_EQ(image.height, 3);
}

TEST_F(ScratchFolderTest, RawLoadsRefuseDimensionsTheFileCannotFill) {
    writeFile("pixels.raw", Bytes(12, 7));
    Image image;
    resetLargestAllocation();
    EXPECT_FALSE(image.loadRaw("pixels.raw", 2, 3, 0x1907));
    EXPECT_FALSE(image.loadRaw("pixels.raw", 65536, 65536, 0x1908));
    EXPECT_FALSE(image.loadRaw("pixels.raw", -2, -2, 0x1907));
    EXPECT_FALSE(image.loadRaw("pixels.raw", 2, 2, 0x1234));
    EXPECT_LE(largestAllocation(), 13u);
    EXPECT_TRUE(image.loadRaw("pixels.raw", 2, 2, 0x1907));
}

}  // namespace
