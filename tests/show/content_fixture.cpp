// SPDX-License-Identifier: MIT
#include "content_fixture.h"

#include <cstdlib>
#include <unistd.h>

#include "platform/headless/headless.h"

bool run(const std::string& command)
{
    return std::system(command.c_str()) == 0;
}

void ContentTest::SetUp()
{
    scratch.enter("tav-show");
    ShowGLTest::SetUp();
    headlessSetTickReadHook([] { headlessAdvanceClock(7); });
}

void ContentTest::TearDown()
{
    ShowGLTest::TearDown();
    scratch.leave();
}

void ContentTest::putArchive(const std::string& withoutMembers)
{
    ASSERT_TRUE(run(std::string("cp '") + SHOW_CONTENT_DIR + "/vel.kod' vel.kod"));
    if (!withoutMembers.empty()) {
        ASSERT_TRUE(run("zip -q -d vel.kod " + withoutMembers));
    }
}

void ContentTest::putFastSoundtrack()
{
    ASSERT_TRUE(run(std::string("mkdir -p Data/sfx && cp '") + SHOW_CONTENT_DIR +
                    "/test-content/fast/Data/sfx/trancen.xm' Data/sfx/trancen.xm"));
}
