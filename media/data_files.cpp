// Loose files are read with stdio; archive members through minizip's unzip interface. The archive is opened
// anew for every request, so replacing or removing it between loads takes effect at once.
#include "media/data_files.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <unzip.h>

static char archiveName[128] = "vel.kod";
static char archivePath[256] = "demo.kod";

// Members claiming more than this are refused before anything is allocated.
static const unsigned long maxMemberSize = 256ul * 1024 * 1024;

// Case-insensitive lookup: a to z fold to A to Z, every other byte must match.
static const int caseInsensitive = 2;

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

// Opens the archive and positions it on the member; fills its declared uncompressed size.
static unzFile openMember(const char* fileName, unsigned long* uncompressedSize) {
    unzFile archive = unzOpen(archivePath);
    if (!archive) {
        return nullptr;
    }
    unz_file_info info;
    if (unzLocateFile(archive, fileName, caseInsensitive) != UNZ_OK ||
        unzGetCurrentFileInfo(archive, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK) {
        unzClose(archive);
        return nullptr;
    }
    *uncompressedSize = info.uncompressed_size;
    return archive;
}

static unsigned char* loadArchiveMember(const char* fileName, int* size) {
    unsigned long declared = 0;
    unzFile archive = openMember(fileName, &declared);
    if (!archive) {
        return nullptr;
    }
    if (declared > maxMemberSize) {
        unzClose(archive);
        return nullptr;
    }
    // One spare byte keeps malloc from returning null for an empty member.
    unsigned char* buffer = static_cast<unsigned char*>(std::malloc(declared + 1));
    if (!buffer) {
        unzClose(archive);
        return nullptr;
    }
    if (unzOpenCurrentFile(archive) != UNZ_OK) {
        std::free(buffer);
        unzClose(archive);
        return nullptr;
    }
    int got = declared > 0 ? unzReadCurrentFile(archive, buffer, static_cast<unsigned>(declared)) : 0;
    // A member that inflates to fewer bytes than it declares would leave uninitialised bytes behind.
    if (got < 0 || static_cast<unsigned long>(got) != declared) {
        std::free(buffer);
        buffer = nullptr;
    }
    // The CRC verdict of the close is deliberately ignored: a member that inflates completely is used.
    unzCloseCurrentFile(archive);
    unzClose(archive);
    if (buffer) {
        *size = static_cast<int>(declared);
    }
    return buffer;
}

static int archiveMemberSize(const char* fileName) {
    unsigned long declared = 0;
    unzFile archive = openMember(fileName, &declared);
    if (!archive) {
        return 0;
    }
    unzClose(archive);
    return declared > maxMemberSize ? 0 : static_cast<int>(declared);
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

unsigned char* loadWholeFile(const char* fileName, int* size) {
    int length = 0;
    unsigned char* buffer = nullptr;
    if (fileName) {
        buffer = loadDiskFile(fileName, &length);
        if (!buffer) {
            buffer = loadArchiveMember(fileName, &length);
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
    int length = diskFileSize(fileName);
    return length != 0 ? length : archiveMemberSize(fileName);
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
