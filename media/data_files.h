// SPDX-License-Identifier: MIT
// Whole-file access for every data file: a loose file on disk first, then a member of the zip data archive,
// both relative to the current folder; when neither has it, the same two in the installed data folder beside
// the executable. Buffers come from malloc and belong to whoever takes them.
#pragma once

// Archive used for lookups; a name of 1 to 126 characters replaces it, anything else is ignored.
void setArchiveName(const char* name);

// The whole file in a new malloc'd buffer, or null when it is found in neither folder.
// When size is given it receives the buffer's length (0 on failure), so callers never need a second lookup.
unsigned char* loadWholeFile(const char* fileName, int* size = nullptr);

// The file's length in bytes, or 0 when it is found nowhere (an empty loose file counts as absent).
int dataFileSize(const char* fileName);

// A cursor over one whole file held in memory. Reads and seeks never leave the loaded bytes.
class MemoryReader {
public:
    unsigned char* data;   // owned; null when nothing is loaded
    int size;              // length of data in bytes
    int position;          // offset of the next read

    MemoryReader();
    ~MemoryReader();
    MemoryReader(const MemoryReader&) = delete;
    MemoryReader& operator=(const MemoryReader&) = delete;

    // Loads the whole file; false when it is missing or empty.
    bool open(const char* fileName);
    void release();
    // Copies count bytes from position and advances. A read that would run past the end copies nothing,
    // leaves position alone and returns false.
    bool read(void* destination, unsigned int count);
    // origin 0: from the start, 1: from position; other origins and targets outside 0..size change nothing
    // and return false.
    bool seek(int offset, int origin);
};
