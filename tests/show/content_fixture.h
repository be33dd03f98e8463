// SPDX-License-Identifier: MIT
// A scratch working folder for tests that load the real content set: the archive built by make_content, the
// fast test soundtrack, and nothing else unless a test puts it there. The virtual clock moves on every read,
// so the load step's busy pause passes quickly.
#pragma once

#include "show_gl.h"
#include "tests/support/scratch_folder.h"

#include <string>

class ContentTest : public ShowGLTest {
protected:
    ScratchFolder scratch;

    void SetUp() override;
    void TearDown() override;

    // Copies the built archive into the folder as vel.kod, less the named members.
    void putArchive(const std::string& withoutMembers = "");
    // The fast soundtrack as the loose file Data/sfx/trancen.xm.
    void putFastSoundtrack();
};

// Runs a shell command in the current folder; true when it exits with 0.
bool run(const std::string& command);
