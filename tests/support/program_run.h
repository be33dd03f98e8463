// SPDX-License-Identifier: MIT
// A fixture for tests that run the whole program through WinMain on the headless backend: each test in its own
// scratch folder (named after folderTag()), the backend reset, a virtual clock that every read moves by 7 ms
// so the load step's busy pause passes quickly, and the input-device seam reset; all undone afterwards.
#pragma once

#include <gtest/gtest.h>

#include "platform/common/dinput_seam.h"
#include "platform/headless/headless.h"
#include "tests/support/scratch_folder.h"

class ProgramRunTest : public ::testing::Test {
protected:
    ScratchFolder scratch;

    virtual const char* folderTag() const { return "tav-run"; }

    void SetUp() override
    {
        scratch.enter(folderTag());
        headlessReset();
        headlessUseVirtualClock(true);
        headlessSetTickReadHook([] { headlessAdvanceClock(7); });
        dinputSeamReset();
    }
    void TearDown() override
    {
        headlessReset();
        dinputSeamReset();
        scratch.leave();
    }
};
