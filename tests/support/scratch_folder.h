// SPDX-License-Identifier: MIT
// A fresh folder under /tmp made the current directory for one test, since data file names are relative to it.
// Call enter from SetUp (it asserts) and leave from TearDown: back to the previous folder, the scratch removed.
#pragma once

#include <cstdlib>
#include <string>
#include <unistd.h>

#include <gtest/gtest.h>

class ScratchFolder {
public:
    void enter(const std::string& prefix = "tav-test")
    {
        char cwd[4096];
        ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
        previous = cwd;
        std::string pattern = "/tmp/" + prefix + "-XXXXXX";
        ASSERT_NE(mkdtemp(&pattern[0]), nullptr);
        folder = pattern;
        ASSERT_EQ(chdir(folder.c_str()), 0);
    }

    void leave()
    {
        if (!previous.empty()) {
            EXPECT_EQ(chdir(previous.c_str()), 0);
        }
        if (!folder.empty()) {
            EXPECT_EQ(std::system(("rm -rf '" + folder + "'").c_str()), 0) << "cannot remove " << folder;
        }
        folder.clear();
        previous.clear();
    }

    std::string folder;
    std::string previous;
};
