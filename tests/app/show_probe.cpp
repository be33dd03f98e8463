// SPDX-License-Identifier: MIT
// Recording show steps for the shell's tests (see show_probe.h).
#include "tests/app/show_probe.h"

#include "app/main.h"
#include "show/show_steps.h"

ShowProbe showProbe;
ShowTimeline showTimeline;

void initShow(GLWindow* window)
{
    ++showProbe.initCalls;
    showProbe.choiceAtInit.push_back(fullscreenChoice);
    showProbe.fullscreenAtInit.push_back(window->fullscreen);
}

bool loadShow(GLWindow* window, int* keyState)
{
    currentWindow = window;
    currentKeyState = keyState;
    ++showProbe.loadCalls;
    if (showProbe.onLoad) {
        showProbe.onLoad();
    }
    return showProbe.loadResult;
}

void shutdownShow()
{
    ++showProbe.shutdownCalls;
}

void ShowTimeline::drawFrame()
{
    showProbe.deltas.push_back(frameDelta);
    if (showProbe.onFrame) {
        showProbe.onFrame();
    }
}
