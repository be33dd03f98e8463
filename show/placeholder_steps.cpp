// Placeholder show steps until the real show lands: loadShow only stores the per-pass references, so that the
// frame tick can read the keys (Escape, F1); the other steps do nothing.
#include "show/show_steps.h"
#include "app/main.h"

ShowTimeline showTimeline;

void initShow(GLWindow*) {}

bool loadShow(GLWindow* window, int* keyState)
{
    currentWindow = window;
    currentKeyState = keyState;
    return true;
}

void shutdownShow() {}

void ShowTimeline::drawFrame() {}
