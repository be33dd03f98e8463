// SPDX-License-Identifier: MIT
// Loose files are read with stdio; archive members through minizip's unzip interface. The archive is opened
// anew for every request, so replacing or removing it between loads takes effect at once.
// A file is looked for in the current folder (loose, then in the archive), then in the same way in the
// installed data folder, so that an installed tav finds its content from whatever folder it was started in.
#include "media/data_files.h"
#include "platform/win32_api.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <sys/stat.h>
#include <unzip.h>
#include <zlib.h>

static char archiveName[128] = "vel.kod";
static char archivePath[256] = "demo.kod";

// Members claiming more than this are refused before anything is allocated.
static const unsigned long long maxMemberSize = 256ull * 1024 * 1024;

// Case-insensitive lookup: a to z fold to A to Z, every other byte must match.
static const int caseInsensitive = 2;

// The installed data folder relative to the executable's folder; the build sets it to where it installs the
// content ("../share/tav" from bin/ on Linux). A Windows copy keeps its data beside the exe.
#ifndef TAV_DATA_DIR_FROM_EXE
#define TAV_DATA_DIR_FROM_EXE "."
#endif

// Room for any path the lookups build; a longer one is not looked for.
static const size_t maxPath = 4096;

// The installed data folder's paths for a file: the loose file and the archive there. False when the
// executable's path is unknown or a path would not fit, and then there is no installed folder to look in.
static bool installedPaths(const char* fileName, char* loosePath, char* archiveInFolder) {
    char folder[maxPath];
    DWORD length = GetModuleFileNameA(nullptr, folder, static_cast<DWORD>(sizeof folder));
    if (length == 0 || length >= sizeof folder) {
        return false;   // failed, or cut short
    }
    char* slash = std::strrchr(folder, '/');
    char* backslash = std::strrchr(folder, '\\');
    if (backslash && (!slash || backslash > slash)) {
        slash = backslash;
    }
    if (!slash) {
        return false;
    }
    *slash = '\0';
    int loose = std::snprintf(loosePath, maxPath, "%s/%s/%s", folder, TAV_DATA_DIR_FROM_EXE, fileName);
    int archive = std::snprintf(archiveInFolder, maxPath, "%s/%s/%s", folder, TAV_DATA_DIR_FROM_EXE, archivePath);
    return loose > 0 && static_cast<size_t>(loose) < maxPath && archive > 0 && static_cast<size_t>(archive) < maxPath;
}

static int diskFileSize(const char* fileName) {
    FILE* file = std::fopen(fileName, "rb");
    if (!file) {
        return 0;
    }
    long length = 0;
    long start = std::ftell(file);
    if (start < 0 || std::fseek(file, 0, SEEK_END) != 0) {
        length = 0;
    } else {
        length = std::ftell(file);
        std::fseek(file, start, SEEK_SET);
    }
    std::fclose(file);
    // Lengths that an int cannot carry (and directories, which report nonsense) count as absent.
    if (length <= 0 || length > INT_MAX) {
        return 0;
    }
    return static_cast<int>(length);
}

static unsigned char* loadDiskFile(const char* fileName, int* size) {
    int length = diskFileSize(fileName);
    if (length == 0) {
        return nullptr;
    }
    FILE* file = std::fopen(fileName, "rb");
    if (!file) {
        return nullptr;
    }
    unsigned char* buffer = static_cast<unsigned char*>(std::malloc(length));
    if (!buffer) {
        std::fclose(file);
        return nullptr;
    }
    // A short read (the file shrank since its length was taken) is a failure too: the buffer would hold
    // bytes that were never read.
    size_t got = std::fread(buffer, 1, length, file);
    if (got != static_cast<size_t>(length) || std::ferror(file)) {
        std::free(buffer);
        std::fclose(file);
        return nullptr;
    }
    std::fclose(file);
    *size = length;
    return buffer;
}

// Where a member's bytes lie in the archive and what its entry claims.
struct MemberEntry {
    unsigned long long dataStart;   // first byte after the local header
    unsigned long long compressed;
    unsigned long long uncompressed;
};

// Reads the current member's entry and checks it: stored or deflated, not encrypted, sizes that the
// archive file can actually hold. Leaves the member closed.
static bool memberEntry(unzFile archive, unsigned long long archiveSize, MemberEntry* entry) {
    unz_file_info64 info;
    if (unzGetCurrentFileInfo64(archive, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK) {
        return false;
    }
    // Other methods and encrypted members would come back as raw compressed bytes.
    const unsigned long stored = 0, deflated = 8, encryptedFlag = 1;
    if ((info.compression_method != stored && info.compression_method != deflated) ||
        (info.flag & encryptedFlag) != 0) {
        return false;
    }
    if (info.uncompressed_size > maxMemberSize || info.compressed_size > 2 * maxMemberSize ||
        info.compressed_size > archiveSize) {
        return false;
    }
    // Deflate cannot expand by more than about 1032 to 1; stored members are their own size.
    if (info.compression_method == stored ? info.compressed_size != info.uncompressed_size
                                          : info.uncompressed_size > info.compressed_size * 1032 + 1032) {
        return false;
    }
    // A raw open reads and checks the local header; the data starts right after it.
    int method = 0, level = 0;
    if (unzOpenCurrentFile2(archive, &method, &level, 1) != UNZ_OK) {
        return false;
    }
    entry->dataStart = unzGetCurrentFileZStreamPos64(archive);
    unzCloseCurrentFile(archive);
    entry->compressed = info.compressed_size;
    entry->uncompressed = info.uncompressed_size;
    return entry->dataStart + entry->compressed <= archiveSize;
}

static unsigned long long fileLength(const char* path) {
    struct stat info;
    if (stat(path, &info) != 0 || !S_ISREG(info.st_mode)) {
        return 0;
    }
    return static_cast<unsigned long long>(info.st_size);
}

// Members whose bytes overlap another member's are refused: they are how archives fake huge contents.
static bool overlapsAnotherMember(unzFile archive, unsigned long long archiveSize, const MemberEntry& wanted) {
    unz64_file_pos wantedPosition;
    if (unzGetFilePos64(archive, &wantedPosition) != UNZ_OK) {
        return true;
    }
    bool overlap = false;
    for (int status = unzGoToFirstFile(archive); status == UNZ_OK && !overlap; status = unzGoToNextFile(archive)) {
        unz64_file_pos position;
        if (unzGetFilePos64(archive, &position) != UNZ_OK) {
            overlap = true;
            break;
        }
        if (position.pos_in_zip_directory == wantedPosition.pos_in_zip_directory) {
            continue;
        }
        MemberEntry other;
        if (!memberEntry(archive, archiveSize, &other)) {
            continue;   // a broken neighbour is refused when it is asked for; it shares nothing here
        }
        // Ranges from the start of the data; equal starts always overlap, even for empty members.
        unsigned long long wantedEnd = wanted.dataStart + wanted.compressed;
        unsigned long long otherEnd = other.dataStart + other.compressed;
        overlap = other.dataStart == wanted.dataStart ||
                  (other.dataStart < wantedEnd && wanted.dataStart < otherEnd);
    }
    return overlap || unzGoToFilePos64(archive, &wantedPosition) != UNZ_OK;
}

// Opens the archive and positions it on the member, whose entry has passed every check.
static unzFile openMember(const char* path, const char* fileName, MemberEntry* entry) {
    unsigned long long archiveSize = fileLength(path);
    if (archiveSize == 0) {
        return nullptr;
    }
    unzFile archive = unzOpen(path);
    if (!archive) {
        return nullptr;
    }
    if (unzLocateFile(archive, fileName, caseInsensitive) != UNZ_OK || !memberEntry(archive, archiveSize, entry) ||
        overlapsAnotherMember(archive, archiveSize, *entry)) {
        unzClose(archive);
        return nullptr;
    }
    return archive;
}

// Inflates exactly `size` bytes from the raw deflate data; anything more or less is a failure.
static bool inflateExactly(unsigned char* input, unsigned long long inputSize, unsigned char* output,
                           unsigned long long size) {
    z_stream stream;
    std::memset(&stream, 0, sizeof stream);
    if (inflateInit2(&stream, -MAX_WBITS) != Z_OK) {
        return false;
    }
    stream.next_in = input;
    stream.avail_in = static_cast<uInt>(inputSize);
    stream.next_out = output;
    // One spare byte: a stream that still produces output there inflates to more than it declares.
    stream.avail_out = static_cast<uInt>(size + 1);
    int result = inflate(&stream, Z_FINISH);
    bool exact = result == Z_STREAM_END && stream.total_out == size;
    inflateEnd(&stream);
    return exact;
}

static unsigned char* loadArchiveMember(const char* path, const char* fileName, int* size) {
    MemberEntry entry;
    unzFile archive = openMember(path, fileName, &entry);
    if (!archive) {
        return nullptr;
    }
    // The member's raw bytes are read as they lie in the archive and inflated here, so the declared size is
    // held to exactly what the data produces. One spare byte keeps malloc from returning null for an empty
    // member and catches data that inflates to more.
    unsigned char* raw = static_cast<unsigned char*>(std::malloc(entry.compressed + 1));
    unsigned char* buffer = static_cast<unsigned char*>(std::malloc(entry.uncompressed + 1));
    int method = 0, level = 0;
    bool ok = raw && buffer && unzOpenCurrentFile2(archive, &method, &level, 1) == UNZ_OK;
    if (ok) {
        int got = entry.compressed > 0 ? unzReadCurrentFile(archive, raw, static_cast<unsigned>(entry.compressed)) : 0;
        ok = got >= 0 && static_cast<unsigned long long>(got) == entry.compressed;
        // The CRC verdict of the close is deliberately ignored: a member that inflates completely is used.
        unzCloseCurrentFile(archive);
    }
    if (ok) {
        if (method == 0) {
            std::memcpy(buffer, raw, entry.compressed);
        } else {
            ok = inflateExactly(raw, entry.compressed, buffer, entry.uncompressed);
        }
    }
    std::free(raw);
    unzClose(archive);
    if (!ok) {
        std::free(buffer);
        return nullptr;
    }
    *size = static_cast<int>(entry.uncompressed);
    return buffer;
}

static int archiveMemberSize(const char* path, const char* fileName) {
    MemberEntry entry;
    unzFile archive = openMember(path, fileName, &entry);
    if (!archive) {
        return 0;
    }
    unzClose(archive);
    return static_cast<int>(entry.uncompressed);
}

void setArchiveName(const char* name) {
    if (!name) {
        return;
    }
    size_t length = std::strlen(name);
    if (length < 1 || length > 126) {
        return;
    }
    std::memcpy(archiveName, name, length + 1);
    std::snprintf(archivePath, sizeof archivePath, "%s", archiveName);
}

// One folder's answer: the loose file at loosePath, else the member of that name in the archive at archive.
static unsigned char* loadFromFolder(const char* loosePath, const char* archive, const char* fileName, int* size) {
    unsigned char* buffer = loadDiskFile(loosePath, size);
    return buffer ? buffer : loadArchiveMember(archive, fileName, size);
}

static int sizeInFolder(const char* loosePath, const char* archive, const char* fileName) {
    int length = diskFileSize(loosePath);
    return length != 0 ? length : archiveMemberSize(archive, fileName);
}

unsigned char* loadWholeFile(const char* fileName, int* size) {
    int length = 0;
    unsigned char* buffer = nullptr;
    if (fileName) {
        buffer = loadFromFolder(fileName, archivePath, fileName, &length);
        char loosePath[maxPath], archiveInFolder[maxPath];
        if (!buffer && installedPaths(fileName, loosePath, archiveInFolder)) {
            buffer = loadFromFolder(loosePath, archiveInFolder, fileName, &length);
        }
    }
    if (size) {
        *size = buffer ? length : 0;
    }
    return buffer;
}

int dataFileSize(const char* fileName) {
    if (!fileName) {
        return 0;
    }
    int length = sizeInFolder(fileName, archivePath, fileName);
    char loosePath[maxPath], archiveInFolder[maxPath];
    if (length == 0 && installedPaths(fileName, loosePath, archiveInFolder)) {
        length = sizeInFolder(loosePath, archiveInFolder, fileName);
    }
    return length;
}

MemoryReader::MemoryReader() : data(nullptr), size(0), position(0) {}

MemoryReader::~MemoryReader() {
    release();
}

bool MemoryReader::open(const char* fileName) {
    release();
    // The length comes with the buffer, so the reader's bounds always match the bytes it holds.
    int length = 0;
    unsigned char* buffer = loadWholeFile(fileName, &length);
    if (buffer && length == 0) {
        std::free(buffer);
        buffer = nullptr;
    }
    data = buffer;
    size = buffer ? length : 0;
    return data != nullptr;
}

void MemoryReader::release() {
    if (data) {
        std::free(data);
        data = nullptr;
    }
    size = 0;
    position = 0;
}

bool MemoryReader::read(void* destination, unsigned int count) {
    if (!data || position < 0 || position > size || count > static_cast<unsigned int>(size - position)) {
        return false;
    }
    std::memcpy(destination, data + position, count);
    position += static_cast<int>(count);
    return true;
}

bool MemoryReader::seek(int offset, int origin) {
    long long target;
    if (origin == 0) {
        target = offset;
    } else if (origin == 1) {
        target = static_cast<long long>(position) + offset;
    } else {
        return false;
    }
    if (target < 0 || target > size) {
        return false;
    }
    position = static_cast<int>(target);
    return true;
}
