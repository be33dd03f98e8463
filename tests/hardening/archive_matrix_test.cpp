// SPDX-License-Identifier: MIT
// Hostile data archives: members that lie about their size, method or place, broken and truncated
// archives. Every one must give a failed load, allocate no more than the archive could fill, and leave
// well-formed neighbours readable.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "media/data_files.h"
#include "tests/hardening/largest_allocation.h"
#include "tests/media/test_files.h"

namespace {

const uint32_t centralSignature = 0x02014b50, localSignature = 0x04034b50;

uint32_t readLittleEndian(const Bytes& bytes, size_t offset, int count) {
    uint32_t value = 0;
    for (int i = count - 1; i >= 0; --i) value = (value << 8) | bytes[offset + i];
    return value;
}

// Offsets of the index-th central directory entry and of the local header it points at.
size_t centralEntry(const Bytes& bytes, int index) {
    for (size_t at = 0; at + 46 <= bytes.size(); ++at) {
        if (readLittleEndian(bytes, at, 4) == centralSignature && index-- == 0) return at;
    }
    ADD_FAILURE() << "no central entry";
    return 0;
}

size_t localHeader(const Bytes& bytes, int index) {
    size_t local = readLittleEndian(bytes, centralEntry(bytes, index) + 42, 4);
    EXPECT_EQ(readLittleEndian(bytes, local, 4), localSignature);
    return local;
}

// Field offsets within the two headers.
struct Field {
    size_t central;
    size_t local;
    int size;
};
const Field flags{8, 6, 2}, method{10, 8, 2}, compressedSize{20, 18, 4}, uncompressedSize{24, 22, 4};

void patchBoth(Bytes& bytes, int member, Field field, uint32_t value) {
    putLittleEndian(bytes, localHeader(bytes, member) + field.local, value, field.size);
    putLittleEndian(bytes, centralEntry(bytes, member) + field.central, value, field.size);
}

Bytes pattern(size_t length) {
    Bytes bytes(length);
    for (size_t i = 0; i < length; ++i) bytes[i] = static_cast<unsigned char>((i * 7) ^ (i >> 5));
    return bytes;
}

class ArchiveMatrix : public ScratchFolderTest {
protected:
    // A two-member archive: the member under test, then a well-formed neighbour.
    Bytes makeArchive(const std::string& method, const Bytes& contents,
                      const std::string& name = "Data/gfx/box_0.tga") {
        writeFile("member.bin", contents);
        writeFile("neighbour.bin", pattern(300));
        EXPECT_EQ(pythonZip("made.kod", method, {name, "member.bin", "Data/gfx/other.tga", "neighbour.bin"}), 0);
        return readFile("made.kod");
    }

    // Loads the member from the archive as given and checks the verdict and the allocations.
    // The size query reads only the directory, so it can vouch only for what the directory shows.
    void expectRefused(const Bytes& archive, const std::string& why, const char* member = "Data/gfx/box_0.tga") {
        writeFile("vel.kod", archive);
        setArchiveName("vel.kod");
        resetLargestAllocation();
        int size = -1;
        unsigned char* bytes = loadWholeFile(member, &size);
        EXPECT_EQ(bytes, nullptr) << why;
        EXPECT_EQ(size, 0) << why;
        MemoryReader reader;
        EXPECT_FALSE(reader.open(member)) << why;
        EXPECT_LE(largestAllocation(), archive.size() + 1) << why;
        std::free(bytes);
    }

    Bytes loadMember(const char* member) {
        int size = 0;
        unsigned char* bytes = loadWholeFile(member, &size);
        Bytes result;
        if (bytes) result.assign(bytes, bytes + size);
        std::free(bytes);
        return result;
    }
};

TEST_F(ArchiveMatrix, MembersLyingAboutTheirSizeAreRefusedBeforeAllocating) {
    const Bytes contents = pattern(1000);
    for (const char* kind : {"stored", "deflated"}) {
        SCOPED_TRACE(kind);
        Bytes good = makeArchive(kind, contents);
        writeFile("vel.kod", good);
        setArchiveName("vel.kod");
        ASSERT_EQ(loadMember("Data/gfx/box_0.tga"), contents);

        for (uint32_t declared : {0xFFFFFFFFu, 0x80000000u, 100u * 1024 * 1024, 100u, 999u, 1001u}) {
            Bytes bad = good;
            patchBoth(bad, 0, uncompressedSize, declared);
            expectRefused(bad, "declares " + std::to_string(declared));
            if (declared > 0x10000000u) {
                EXPECT_EQ(dataFileSize("Data/gfx/box_0.tga"), 0);
            }
        }
        // A compressed size beyond the archive's end.
        Bytes bad = good;
        patchBoth(bad, 0, compressedSize, 0x7FFFFFF0u);
        expectRefused(bad, "compressed size past the end");
        EXPECT_EQ(dataFileSize("Data/gfx/box_0.tga"), 0);
        // The neighbour is untouched by its partner's lie.
        EXPECT_EQ(loadMember("Data/gfx/other.tga"), pattern(300));
    }
}

TEST_F(ArchiveMatrix, MethodsOtherThanStoredAndDeflatedAndEncryptionAreRefused) {
    Bytes good = makeArchive("deflated", pattern(1000));
    for (uint32_t code : {1u, 9u, 12u, 14u, 98u, 99u}) {
        Bytes bad = good;
        patchBoth(bad, 0, method, code);
        expectRefused(bad, "method " + std::to_string(code));
        EXPECT_EQ(dataFileSize("Data/gfx/box_0.tga"), 0);
    }
    for (const char* kind : {"stored", "deflated"}) {
        Bytes bad = makeArchive(kind, pattern(1000));
        patchBoth(bad, 0, flags, readLittleEndian(bad, centralEntry(bad, 0) + flags.central, 2) | 1u);
        expectRefused(bad, std::string("encrypted ") + kind);
        EXPECT_EQ(loadMember("Data/gfx/other.tga"), pattern(300));
    }
}

TEST_F(ArchiveMatrix, LocalHeadersThatDisagreeWithTheDirectoryAreRefused) {
    Bytes good = makeArchive("deflated", pattern(1000));
    struct Change {
        const char* what;
        size_t field;
        uint32_t value;
        int size;
    };
    for (Change change : {Change{"method", method.local, 0, 2}, Change{"compressed size", compressedSize.local, 5, 4},
                          Change{"uncompressed size", uncompressedSize.local, 7, 4},
                          Change{"name length", 26, 3, 2}, Change{"signature", 0, 0x12345678, 4}}) {
        Bytes bad = good;
        putLittleEndian(bad, localHeader(bad, 0) + change.field, change.value, change.size);
        expectRefused(bad, change.what);
    }
}

TEST_F(ArchiveMatrix, TruncatedAndBrokenArchivesFail) {
    Bytes good = makeArchive("deflated", pattern(1000));
    for (size_t keep : {size_t(0), size_t(4), size_t(21), size_t(22), good.size() / 2, good.size() - 22}) {
        Bytes bad(good.begin(), good.begin() + keep);
        expectRefused(bad, "cut to " + std::to_string(keep));
    }
    // The member's data cut short while the directory survives.
    Bytes bad = good;
    size_t data = localHeader(bad, 0) + 30 + readLittleEndian(bad, localHeader(bad, 0) + 26, 2);
    bad.erase(bad.begin() + data + 10, bad.begin() + data + 200);
    expectRefused(bad, "member data cut");
}

TEST_F(ArchiveMatrix, OverlappingMembersAreRefused) {
    // Two members of equal names' length and size; the second's directory entry is made a copy of the
    // first's, so both describe the same bytes, consistently. A neighbour stays apart.
    writeFile("one.bin", pattern(1000));
    writeFile("two.bin", Bytes(1000, 9));
    writeFile("neighbour.bin", pattern(300));
    ASSERT_EQ(pythonZip("made.kod", "deflated", {"Data/gfx/box_1.tga", "one.bin", "Data/gfx/box_2.tga", "two.bin",
                                                 "Data/gfx/other.tga", "neighbour.bin"}), 0);
    Bytes good = readFile("made.kod");
    writeFile("vel.kod", good);
    setArchiveName("vel.kod");
    ASSERT_EQ(loadMember("Data/gfx/box_2.tga"), Bytes(1000, 9));
    Bytes bad = good;
    size_t first = centralEntry(bad, 0), second = centralEntry(bad, 1);
    std::copy(bad.begin() + first + 8, bad.begin() + first + 46, bad.begin() + second + 8);
    expectRefused(bad, "second points at the first", "Data/gfx/box_2.tga");
    expectRefused(bad, "first overlapped by the second", "Data/gfx/box_1.tga");
    EXPECT_EQ(loadMember("Data/gfx/other.tga"), pattern(300));
}

TEST_F(ArchiveMatrix, MemberNamesThatFillTheNameBufferAreHandled) {
    // The zip library compares at most 255 characters of a stored name.
    for (size_t length : {size_t(255), size_t(256), size_t(300), size_t(2000)}) {
        SCOPED_TRACE(length);
        std::string name = "Data/" + std::string(length - 5, 'n');
        Bytes archive = makeArchive("deflated", pattern(500), name);
        writeFile("vel.kod", archive);
        setArchiveName("vel.kod");
        Bytes loaded = loadMember(name.c_str());
        if (length < 256) {
            EXPECT_EQ(loaded, pattern(500));
        } else {
            EXPECT_TRUE(loaded.empty());
        }
        EXPECT_EQ(loadMember("Data/gfx/other.tga"), pattern(300));
    }
}

}  // namespace

namespace {

// The size checks must not refuse honest members that compress as well as deflate allows.
TEST_F(ArchiveMatrix, MembersNearDeflatesBestRatioStillLoad) {
    const Bytes zeros(4 * 1024 * 1024, 0);
    ASSERT_EQ(run("mkdir -p Data/gfx"), 0);
    writeFile("Data/gfx/box_0.tga", zeros);
    ASSERT_EQ(run("zip -q -9 vel.kod Data/gfx/box_0.tga && rm Data/gfx/box_0.tga"), 0);
    setArchiveName("vel.kod");
    EXPECT_LT(readFile("vel.kod").size() * 900, zeros.size());  // over 900 to 1; deflate stops near 1032 to 1
    EXPECT_EQ(loadMember("Data/gfx/box_0.tga"), zeros);
    EXPECT_EQ(dataFileSize("Data/gfx/box_0.tga"), static_cast<int>(zeros.size()));
}

}  // namespace
