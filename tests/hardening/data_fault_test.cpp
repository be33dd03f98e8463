// SPDX-License-Identifier: MIT
// Faults around the data files: the archive vanishing between loads, directories where files should be, and
// files that cannot be read. Each falls through to the next place to look or fails cleanly.
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include <gtest/gtest.h>

#include "media/data_files.h"
#include "tests/media/test_files.h"

namespace {

Bytes load(const char* name) {
    int size = 0;
    unsigned char* bytes = loadWholeFile(name, &size);
    Bytes result;
    if (bytes) result.assign(bytes, bytes + size);
    std::free(bytes);
    return result;
}

class DataFault : public ScratchFolderTest {
protected:
    const Bytes archived = Bytes(700, 0x41);

    void makeArchive() {
        writeFile("archived.bin", archived);
        ASSERT_EQ(pythonZip("vel.kod", "deflated", {"Data/gfx/box_0.tga", "archived.bin"}), 0);
        setArchiveName("vel.kod");
    }
};

TEST_F(DataFault, TheArchiveDeletedBetweenTwoLoadsFailsTheSecond) {
    makeArchive();
    EXPECT_EQ(load("Data/gfx/box_0.tga"), archived);
    ASSERT_EQ(unlink("vel.kod"), 0);
    EXPECT_TRUE(load("Data/gfx/box_0.tga").empty());
    EXPECT_EQ(dataFileSize("Data/gfx/box_0.tga"), 0);
}

TEST_F(DataFault, DirectoriesCountAsAbsent) {
    makeArchive();
    // A loose path that is a directory: the archive member is used instead.
    ASSERT_EQ(run("mkdir -p Data/gfx/box_0.tga"), 0);
    EXPECT_EQ(load("Data/gfx/box_0.tga"), archived);
    EXPECT_EQ(dataFileSize("Data/gfx/box_0.tga"), 700);
    // An archive path that is a directory: nothing is found.
    ASSERT_EQ(run("mkdir -p folder.kod"), 0);
    setArchiveName("folder.kod");
    EXPECT_TRUE(load("Data/gfx/box_0.tga").empty());
    EXPECT_EQ(dataFileSize("Data/gfx/box_0.tga"), 0);
    MemoryReader reader;
    EXPECT_FALSE(reader.open("Data/gfx/box_0.tga"));
}

// Mode 000 does not stop root, so the loads run in a child that has given up root where the test has it.
TEST_F(DataFault, AnUnreadableLooseFileFallsThroughToTheArchive) {
    makeArchive();
    ASSERT_EQ(run("mkdir -p Data/gfx"), 0);
    writeFile("Data/gfx/box_0.tga", Bytes(50, 0x42));
    writeFile("Data/gfx/locked.tga", Bytes(50, 0x43));
    ASSERT_EQ(run("chmod -R a+rX . && chmod a+rx '" + scratch.folder + "'"), 0);
    ASSERT_EQ(chmod("Data/gfx/box_0.tga", 0), 0);
    ASSERT_EQ(chmod("Data/gfx/locked.tga", 0), 0);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(10);
        if (std::fopen("Data/gfx/box_0.tga", "rb") != nullptr) _exit(11);  // still readable: nothing to test
        int code = 0;
        if (load("Data/gfx/box_0.tga") != archived) code |= 1;       // the archive's member instead
        if (dataFileSize("Data/gfx/box_0.tga") != 700) code |= 2;
        if (!load("Data/gfx/locked.tga").empty()) code |= 4;         // in neither place
        if (dataFileSize("Data/gfx/locked.tga") != 0) code |= 8;
        _exit(code);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

}  // namespace
