// SPDX-License-Identifier: MIT
// Loose files and archive members made by the zip tool and by Python's zipfile, read back through the real
// minizip calls.
#include <cstdlib>
#include <cstring>
#include <ostream>
#include <string>

#include "media/data_files.h"
#include "tests/media/test_files.h"

static Bytes sample(size_t count, unsigned seed) {
    Bytes bytes(count);
    for (size_t i = 0; i < count; ++i) {
        bytes[i] = static_cast<unsigned char>((i * 131 + seed * 7 + (i >> 5)) & 0xFF);
    }
    return bytes;
}

// Loads through loadWholeFile and checks that the length comes with the buffer.
static Bytes load(const char* name) {
    int size = -1;
    unsigned char* buffer = loadWholeFile(name, &size);
    if (!buffer) {
        EXPECT_EQ(size, 0);
        return Bytes();
    }
    Bytes bytes(buffer, buffer + size);
    std::free(buffer);
    return bytes;
}

class DataFiles : public ScratchFolderTest {
protected:
    void SetUp() override {
        ScratchFolderTest::SetUp();
        setArchiveName("test.kod");
    }
};

struct ArchiveMaker {
    const char* label;
    bool python;
    const char* method;   // zip tool: its compression option; python: stored or deflated
};

static void PrintTo(const ArchiveMaker& maker, std::ostream* out) {
    *out << maker.label;
}

class ArchiveMakers : public DataFiles, public ::testing::WithParamInterface<ArchiveMaker> {
protected:
    // Builds test.kod holding each (member name, contents) pair, member names exactly as given.
    void makeArchive(const std::vector<std::pair<std::string, Bytes>>& members) {
        const ArchiveMaker& maker = GetParam();
        if (maker.python) {
            std::vector<std::string> pairs;
            for (size_t i = 0; i < members.size(); ++i) {
                std::string source = "src" + std::to_string(i);
                writeFile(source, members[i].second);
                pairs.push_back(members[i].first);
                pairs.push_back(source);
            }
            ASSERT_EQ(pythonZip("test.kod", maker.method, pairs), 0);
        } else {
            // The zip tool stores paths as found on disk, so the files are laid out under their member names.
            for (const auto& member : members) {
                writeFile("staging/" + member.first, member.second);
                ASSERT_EQ(run("cd staging && zip -q " + std::string(maker.method) + " ../test.kod '" + member.first + "'"), 0);
            }
            run("rm -rf staging");
        }
    }
};

TEST_P(ArchiveMakers, MembersAreFoundCaseInsensitivelyAndReadExactly) {
    Bytes song = sample(70000, 1);
    Bytes picture = sample(3000, 2);
    makeArchive({{"DATA/SFX/TRANCEN.XM", song}, {"Data/gfx/box_0.tga", picture}});
    EXPECT_EQ(load("Data/sfx/trancen.xm"), song);
    EXPECT_EQ(dataFileSize("Data/sfx/trancen.xm"), 70000);
    EXPECT_EQ(load("data/GFX/BOX_0.tga"), picture);
    EXPECT_EQ(dataFileSize("Data/gfx/box_0.tga"), 3000);
    EXPECT_TRUE(load("Data/gfx/box_1.tga").empty());
    EXPECT_EQ(dataFileSize("Data/gfx/box_1.tga"), 0);
    // Only letters fold: the name must match over its whole length.
    EXPECT_TRUE(load("Data/gfx/box_0.tg").empty());
    EXPECT_TRUE(load("Data/gfx/box_0.tga ").empty());
}

TEST_P(ArchiveMakers, LooseFileWinsAndAnEmptyOneFallsThrough) {
    Bytes archived = sample(500, 3);
    makeArchive({{"Data/gfx/logo.tga", archived}});
    Bytes loose = sample(40, 4);
    writeFile("Data/gfx/logo.tga", loose);
    EXPECT_EQ(load("Data/gfx/logo.tga"), loose);
    EXPECT_EQ(dataFileSize("Data/gfx/logo.tga"), 40);

    writeFile("Data/gfx/logo.tga", Bytes());
    EXPECT_EQ(load("Data/gfx/logo.tga"), archived);
    EXPECT_EQ(dataFileSize("Data/gfx/logo.tga"), 500);

    std::remove("Data/gfx/logo.tga");
    EXPECT_EQ(load("Data/gfx/logo.tga"), archived);
}

INSTANTIATE_TEST_SUITE_P(, ArchiveMakers,
                         ::testing::Values(ArchiveMaker{"ZipStored", false, "-0"},
                                           ArchiveMaker{"ZipDeflated", false, "-9"},
                                           ArchiveMaker{"PythonStored", true, "stored"},
                                           ArchiveMaker{"PythonDeflated", true, "deflated"}),
                         [](const ::testing::TestParamInfo<ArchiveMaker>& info) { return info.param.label; });

TEST_F(DataFiles, BackSlashAndDotSlashNamesDoNotMatchAndTheFirstMatchWins) {
    writeFile("a", sample(10, 5));
    writeFile("b", sample(11, 6));
    writeFile("c", sample(12, 7));
    writeFile("d", sample(13, 8));
    ASSERT_EQ(pythonZip("test.kod", "deflated",
                        {"Data\\gfx\\back.tga", "a", "./Data/gfx/dot.tga", "b", "data/gfx/twice.tga", "c",
                         "DATA/GFX/TWICE.TGA", "d"}),
              0);
    EXPECT_TRUE(load("Data/gfx/back.tga").empty());
    EXPECT_TRUE(load("Data/gfx/dot.tga").empty());
    EXPECT_EQ(load("Data/gfx/twice.tga"), sample(12, 7));
    EXPECT_EQ(dataFileSize("Data/gfx/twice.tga"), 12);
}

TEST_F(DataFiles, TheArchiveIsOpenedForEveryRequest) {
    writeFile("m", sample(100, 9));
    ASSERT_EQ(pythonZip("test.kod", "deflated", {"Data/m.bin", "m"}), 0);
    EXPECT_EQ(load("Data/m.bin"), sample(100, 9));
    std::remove("test.kod");
    EXPECT_TRUE(load("Data/m.bin").empty());
    EXPECT_EQ(dataFileSize("Data/m.bin"), 0);
    // A file that is not a zip archive yields nothing either.
    writeFile("test.kod", sample(300, 10));
    EXPECT_TRUE(load("Data/m.bin").empty());
}

TEST_F(DataFiles, ArchiveNamesOfUpTo126CharactersAreAccepted) {
    std::string name126(122, 'a');
    name126 += ".kod";
    std::string name127(123, 'b');
    name127 += ".kod";
    writeFile("m1", sample(20, 11));
    writeFile("m2", sample(30, 12));
    ASSERT_EQ(pythonZip(name126, "stored", {"Data/x.bin", "m1"}), 0);
    ASSERT_EQ(pythonZip(name127, "stored", {"Data/x.bin", "m2"}), 0);

    setArchiveName(name126.c_str());
    EXPECT_EQ(load("Data/x.bin"), sample(20, 11));
    setArchiveName(name127.c_str());
    EXPECT_EQ(load("Data/x.bin"), sample(20, 11));
    setArchiveName("");
    EXPECT_EQ(load("Data/x.bin"), sample(20, 11));
    setArchiveName("missing.kod");
    EXPECT_TRUE(load("Data/x.bin").empty());
}

// Byte offsets of the size and CRC fields in the local and central headers of a one-member archive.
static void patchMember(Bytes& zip, size_t crcOffset, unsigned long long value, int count) {
    for (size_t i = 0; i + 4 <= zip.size(); ++i) {
        if (zip[i] == 'P' && zip[i + 1] == 'K' && zip[i + 2] == 3 && zip[i + 3] == 4) {
            putLittleEndian(zip, i + 14 + crcOffset, value, count);
        } else if (zip[i] == 'P' && zip[i + 1] == 'K' && zip[i + 2] == 1 && zip[i + 3] == 2) {
            putLittleEndian(zip, i + 16 + crcOffset, value, count);
        }
    }
}

TEST_F(DataFiles, DeclaredSizesAreCheckedButAWrongCrcIsTolerated) {
    Bytes contents = sample(64, 13);
    writeFile("m", contents);
    ASSERT_EQ(pythonZip("good.kod", "stored", {"Data/m.bin", "m"}), 0);
    Bytes good = readFile("good.kod");

    Bytes badCrc = good;
    patchMember(badCrc, 0, 0x12345678, 4);
    writeFile("test.kod", badCrc);
    EXPECT_EQ(load("Data/m.bin"), contents);

    // Declares more than it holds: the missing bytes would be uninitialised.
    Bytes longer = good;
    patchMember(longer, 8, 100, 4);
    writeFile("test.kod", longer);
    EXPECT_TRUE(load("Data/m.bin").empty());

    // Above the member limit: refused before anything is allocated.
    Bytes huge = good;
    patchMember(huge, 8, 0x20000000, 4);
    writeFile("test.kod", huge);
    EXPECT_TRUE(load("Data/m.bin").empty());
    EXPECT_EQ(dataFileSize("Data/m.bin"), 0);
}

TEST_F(DataFiles, ReaderOpensWholeFilesAndStaysInsideThem) {
    MemoryReader reader;
    EXPECT_FALSE(reader.open("Data/none.bin"));
    EXPECT_EQ(reader.data, nullptr);

    Bytes contents = sample(16, 14);
    writeFile("Data/r.bin", contents);
    ASSERT_TRUE(reader.open("Data/r.bin"));
    EXPECT_EQ(reader.size, 16);
    EXPECT_EQ(reader.position, 0);

    reader.seek(10, 0);
    reader.seek(-4, 1);
    EXPECT_EQ(reader.position, 6);
    EXPECT_FALSE(reader.seek(0, 2));
    EXPECT_EQ(reader.position, 6);
    EXPECT_FALSE(reader.seek(17, 0));
    EXPECT_FALSE(reader.seek(-7, 1));
    EXPECT_FALSE(reader.seek(0x7FFFFFFF, 1));
    EXPECT_EQ(reader.position, 6);

    unsigned char out[16];
    std::memset(out, 0xEE, sizeof out);
    ASSERT_TRUE(reader.read(out, 10));
    EXPECT_EQ(Bytes(out, out + 10), Bytes(contents.begin() + 6, contents.end()));
    EXPECT_EQ(reader.position, 16);
    // Nothing is left: a further read copies nothing and moves nothing.
    std::memset(out, 0xEE, sizeof out);
    EXPECT_FALSE(reader.read(out, 1));
    EXPECT_EQ(out[0], 0xEE);
    EXPECT_EQ(reader.position, 16);
    EXPECT_TRUE(reader.read(out, 0));

    reader.release();
    EXPECT_EQ(reader.data, nullptr);
    EXPECT_EQ(reader.size, 0);
    EXPECT_FALSE(reader.read(out, 1));
    reader.release();
}

TEST_F(DataFiles, ReaderRefusesEmptyFilesEvenFromTheArchive) {
    writeFile("empty", Bytes());
    ASSERT_EQ(pythonZip("test.kod", "stored", {"Data/empty.bin", "empty"}), 0);
    MemoryReader reader;
    EXPECT_FALSE(reader.open("Data/empty.bin"));
    EXPECT_EQ(reader.size, 0);
    EXPECT_EQ(dataFileSize("Data/empty.bin"), 0);
}
