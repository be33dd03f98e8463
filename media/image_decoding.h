// SPDX-License-Identifier: MIT
// Decoders that fill an Image's pixel fields from a data file: Targa and Windows bitmap, 24 or 32 bits, and
// the raw load. Every file comes through loadWholeFile, so it may live on disk or in the data archive.
#pragma once

class Image;

enum { imageTypeTarga = 1, imageTypeBitmap = 2 };

// Uncompressed true-colour Targa. width and height are stored as soon as the header is read, so a failure
// after that point may leave them (and format) set; pixels are only replaced on success.
bool decodeTarga(Image* image, const char* fileName);
// Uncompressed Windows bitmap, bottom-up rows; alignment bytes at the end of each row are skipped.
bool decodeBitmap(Image* image, const char* fileName);
