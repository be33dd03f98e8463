// SPDX-License-Identifier: MIT
// The installed data folder: after the current folder and its archive, files are looked for beside the
// executable (its folder joined with ../share/tav), loose first, then in the archive there. This suite stands
// in for GetModuleFileNameA to place the executable inside each test's scratch folder.
#include <cstdlib>
#include <cstring>
#include <string>

#include "media/data_files.h"
#include "platform/win32_api.h"
#include "tests/media/test_files.h"

// The executable's path as this test claims it; empty: the call fails, as the other suites of this program
// expect (they see no installed folder at all).
static std::string executablePath;

DWORD WINAPI GetModuleFileNameA(HMODULE, LPSTR fileName, DWORD size) {
    if (executablePath.empty() || !fileName || size == 0) {
        return 0;
    }
    if (executablePath.size() >= size) {
        std::memcpy(fileName, executablePath.data(), size - 1);
        fileName[size - 1] = '\0';
        return size;
    }
    std::memcpy(fileName, executablePath.c_str(), executablePath.size() + 1);
    return static_cast<DWORD>(executablePath.size());
}

static std::string loadText(const char* name) {
    int size = -1;
    unsigned char* buffer = loadWholeFile(name, &size);
    if (!buffer) {
        EXPECT_EQ(size, 0);
        return "";
    }
    std::string text(reinterpret_cast<char*>(buffer), size);
    std::free(buffer);
    return text;
}

static Bytes bytesOf(const std::string& text) {
    return Bytes(text.begin(), text.end());
}

class InstalledFolder : public ScratchFolderTest {
protected:
    void SetUp() override {
        ScratchFolderTest::SetUp();
        setArchiveName("test.kod");
        installed = scratch.folder + "/prefix/share/tav";
        run("mkdir -p '" + installed + "' '" + scratch.folder + "/prefix/bin'");
        executablePath = scratch.folder + "/prefix/bin/tav";
    }
    void TearDown() override {
        executablePath.clear();
        ScratchFolderTest::TearDown();
    }

    // An archive holding one member with the given contents.
    void makeArchive(const std::string& archive, const std::string& member, const std::string& contents) {
        writeFile("zip-source", bytesOf(contents));
        ASSERT_EQ(pythonZip(archive, "deflated", {member, "zip-source"}), 0);
        run("rm -f zip-source");
    }

    std::string installed;
};

TEST_F(InstalledFolder, CurrentFolderFirstThenItsArchiveThenTheInstalledLooseFileThenTheInstalledArchive) {
    const char* name = "Data/Gfx/loading.tga";
    makeArchive(installed + "/test.kod", "data/gfx/LOADING.tga", "installed archive");
    writeFile(installed + "/Data/Gfx/loading.tga", bytesOf("installed loose"));
    makeArchive("test.kod", name, "current archive!");
    writeFile(name, bytesOf("current loose file"));

    EXPECT_EQ(loadText(name), "current loose file");
    EXPECT_EQ(dataFileSize(name), 18);
    run("rm Data/Gfx/loading.tga");
    EXPECT_EQ(loadText(name), "current archive!");
    EXPECT_EQ(dataFileSize(name), 16);
    run("rm test.kod");
    EXPECT_EQ(loadText(name), "installed loose");
    EXPECT_EQ(dataFileSize(name), 15);
    // An empty loose file counts as absent there too.
    writeFile(installed + "/Data/Gfx/loading.tga", Bytes());
    EXPECT_EQ(loadText(name), "installed archive");
    EXPECT_EQ(dataFileSize(name), 17);
    MemoryReader reader;
    ASSERT_TRUE(reader.open(name));
    EXPECT_EQ(std::string(reinterpret_cast<char*>(reader.data), reader.size), "installed archive");
    reader.release();
    run("rm '" + installed + "/test.kod'");
    EXPECT_EQ(loadText(name), "");
    EXPECT_EQ(dataFileSize(name), 0);
    EXPECT_FALSE(reader.open(name));
}

TEST_F(InstalledFolder, AWindowsStylePathIsCutAtItsLastBackSlash) {
    makeArchive(installed + "/test.kod", "Data/sfx/trancen.xm", "song");
    executablePath = scratch.folder + "/prefix/bin\\tav.exe";
    EXPECT_EQ(loadText("Data/sfx/trancen.xm"), "song");
}

TEST_F(InstalledFolder, WithoutAUsableExecutablePathOnlyTheCurrentFolderCounts) {
    makeArchive(installed + "/test.kod", "Data/sfx/trancen.xm", "song");
    writeFile("Data/gfx/box_0.tga", bytesOf("box"));
    const std::string longFolder = "/" + std::string(4070, 'd');
    const std::string unusable[] = {
        "",                                         // the call fails
        "tav",                                      // no folder in it
        longFolder + "/" + std::string(200, 'e'),   // longer than any path: cut short
        longFolder + "/tav",                        // fits, but the joined paths would not
    };
    for (const std::string& path : unusable) {
        executablePath = path;
        EXPECT_EQ(loadText("Data/sfx/trancen.xm"), "") << path.size();
        EXPECT_EQ(dataFileSize("Data/sfx/trancen.xm"), 0) << path.size();
        EXPECT_EQ(loadText("Data/gfx/box_0.tga"), "box") << path.size();
    }
}
