// SPDX-License-Identifier: MIT
// Both decoders check every length against the bytes actually loaded before they allocate or copy, so a
// truncated or lying file fails instead of being read past its end.
#include "media/image_decoding.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "media/data_files.h"
#include "media/sprite.h"

static const int formatRgb = 0x1907;    // GL_RGB
static const int formatRgba = 0x1908;   // GL_RGBA

static unsigned readU16(const unsigned char* p) {
    return p[0] | (p[1] << 8);
}

static uint32_t readU32(const unsigned char* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

// Pixel bytes arrive B, G, R (A); OpenGL wants R, G, B (A).
static void swapRedBlue(unsigned char* pixels, size_t blockSize, size_t bytesPerPixel) {
    for (size_t i = 0; i + 2 < blockSize; i += bytesPerPixel) {
        unsigned char blue = pixels[i];
        pixels[i] = pixels[i + 2];
        pixels[i + 2] = blue;
    }
}

static void replacePixels(Image* image, unsigned char* pixels) {
    if (image->pixels && image->pixels != pixels) {
        std::free(image->pixels);
    }
    image->pixels = pixels;
}

bool decodeTarga(Image* image, const char* fileName) {
    // ID length, colour-map type, image type 2, colour-map fields, origin: all zero but the type.
    static const unsigned char header[12] = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    const size_t headerSize = 18;

    int fileSize = 0;
    unsigned char* file = loadWholeFile(fileName, &fileSize);
    if (!file) {
        return false;
    }
    size_t length = static_cast<size_t>(fileSize);
    if (length < headerSize || std::memcmp(file, header, sizeof header) != 0) {
        std::free(file);
        return false;
    }
    image->width = static_cast<int>(readU16(file + 12));
    image->height = static_cast<int>(readU16(file + 14));
    if (image->width == 0 || image->height == 0) {
        std::free(file);
        return false;
    }
    int depth = file[16];
    if (depth == 24) {
        image->format = formatRgb;
    } else if (depth == 32) {
        image->format = formatRgba;
    } else {
        std::free(file);
        return false;
    }
    // At most 65535 x 65535 x 4 bytes: computed in 64 bits and checked against the file before allocating.
    uint64_t bytesPerPixel = static_cast<uint64_t>(depth / 8);
    uint64_t blockSize = static_cast<uint64_t>(image->width) * static_cast<uint64_t>(image->height) * bytesPerPixel;
    if (blockSize > length - headerSize) {
        std::free(file);
        return false;
    }
    unsigned char* pixels = static_cast<unsigned char*>(std::malloc(blockSize));
    if (!pixels) {
        std::free(file);
        return false;
    }
    std::memcpy(pixels, file + headerSize, blockSize);
    std::free(file);
    swapRedBlue(pixels, blockSize, bytesPerPixel);
    replacePixels(image, pixels);
    return true;
}

// Bit fields are accepted only when they describe the plain 32-bit layout (B, G, R, A bytes).
static bool plainBitFields(const MemoryReader& reader, uint32_t infoSize) {
    const int masksOffset = 14 + 40;
    if (reader.size < masksOffset + 12) {
        return false;
    }
    const unsigned char* masks = reader.data + masksOffset;
    if (readU32(masks) != 0x00FF0000u || readU32(masks + 4) != 0x0000FF00u || readU32(masks + 8) != 0x000000FFu) {
        return false;
    }
    // Version 3 info headers and later carry an alpha mask too; it may be absent (0) or the top byte.
    if (infoSize >= 56) {
        if (reader.size < masksOffset + 16) {
            return false;
        }
        uint32_t alpha = readU32(masks + 12);
        if (alpha != 0 && alpha != 0xFF000000u) {
            return false;
        }
    }
    return true;
}

bool decodeBitmap(Image* image, const char* fileName) {
    MemoryReader reader;
    if (!reader.open(fileName)) {
        return false;
    }
    unsigned char fileHeader[14];
    unsigned char info[40];
    if (!reader.read(fileHeader, sizeof fileHeader) || fileHeader[0] != 'B' || fileHeader[1] != 'M' ||
        !reader.read(info, sizeof info)) {
        return false;
    }
    uint32_t pixelOffset = readU32(fileHeader + 10);
    uint32_t infoSize = readU32(info);
    int32_t width = static_cast<int32_t>(readU32(info + 4));
    int32_t height = static_cast<int32_t>(readU32(info + 8));
    unsigned bitsPerPixel = readU16(info + 14);
    uint32_t compression = readU32(info + 16);
    if ((bitsPerPixel != 24 && bitsPerPixel != 32) || width <= 0 || height <= 0) {
        return false;
    }
    // Run-length and other encodings would be garbage read as plain pixels.
    const uint32_t plain = 0, bitFields = 3;
    if (compression != plain && !(compression == bitFields && bitsPerPixel == 32 && plainBitFields(reader, infoSize))) {
        return false;
    }

    // Rows are padded to a multiple of 4 bytes; the last row's padding may be missing.
    uint64_t bytesPerPixel = bitsPerPixel / 8;
    uint64_t rowBytes = bytesPerPixel * static_cast<uint64_t>(width);
    uint64_t stride = (rowBytes + 3) & ~static_cast<uint64_t>(3);
    uint64_t fileSize = static_cast<uint64_t>(reader.size);
    // Pixels that start inside the headers would be the headers read as pixels.
    const uint64_t headersSize = 14 + 40;
    if (pixelOffset < headersSize || pixelOffset > fileSize || stride > fileSize ||
        pixelOffset + stride * static_cast<uint64_t>(height - 1) + rowBytes > fileSize) {
        return false;
    }
    uint64_t blockSize = rowBytes * static_cast<uint64_t>(height);
    unsigned char* pixels = static_cast<unsigned char*>(std::malloc(blockSize));
    if (!pixels) {
        return false;
    }
    for (int32_t row = 0; row < height; ++row) {
        uint64_t rowStart = pixelOffset + stride * static_cast<uint64_t>(row);
        if (!reader.seek(static_cast<int>(rowStart), 0) ||
            !reader.read(pixels + rowBytes * static_cast<uint64_t>(row), static_cast<unsigned>(rowBytes))) {
            std::free(pixels);
            return false;
        }
    }
    reader.release();
    image->width = width;
    image->height = height;
    image->format = bitsPerPixel == 24 ? formatRgb : formatRgba;
    swapRedBlue(pixels, blockSize, bytesPerPixel);
    replacePixels(image, pixels);
    return true;
}

// Bytes per pixel of the unsigned-byte formats a raw file may be declared as; 0 for anything else.
static int rawBytesPerPixel(int format) {
    switch (format) {
    case 0x1906:   // GL_ALPHA
    case 0x1909:   // GL_LUMINANCE
    case 0x1903:   // GL_RED
        return 1;
    case 0x190A:   // GL_LUMINANCE_ALPHA
        return 2;
    case formatRgb:
    case 0x80E0:   // GL_BGR
        return 3;
    case formatRgba:
    case 0x80E1:   // GL_BGRA
        return 4;
    default:
        return 0;
    }
}

bool Image::loadRaw(const char* fileName, int width, int height, int format) {
    int bytesPerPixel = rawBytesPerPixel(format);
    if (width <= 0 || height <= 0 || bytesPerPixel == 0) {
        return false;
    }
    int fileSize = 0;
    unsigned char* file = loadWholeFile(fileName, &fileSize);
    if (!file) {
        return false;
    }
    // The caller's dimensions are checked against the file, which must hold at least that many pixels.
    uint64_t needed = static_cast<uint64_t>(width) * static_cast<uint64_t>(height) * bytesPerPixel;
    if (needed > static_cast<uint64_t>(fileSize)) {
        std::free(file);
        return false;
    }
    replacePixels(this, file);
    this->width = width;
    this->height = height;
    this->format = format;
    return true;
}

bool Image::loadImageFile(const char* fileName, int type) {
    switch (type) {
    case imageTypeTarga:
        return decodeTarga(this, fileName);
    case imageTypeBitmap:
        return decodeBitmap(this, fileName);
    default:
        return false;
    }
}
