// SPDX-License-Identifier: MIT
// Show frames at fixed music positions, drawn with the same deterministic steps natively (headless, Mesa) and
// in the browser (the web platform and the GL stand-in), so a test can compare the two pictures.
#pragma once

#include "app/gl_window.h"

struct FrameShot {
    const char* name;
    int position;   // the music position held while its frames are drawn
    int frames;     // frames drawn, each 1/60 s apart, before the picture is read
};

int frameShotCount();
const FrameShot& frameShot(int index);

// The show's window record as the entry routine fills it (class "OpenGL", "T.A.V.", 800 x 600, windowed).
void fillShowWindow(GLWindow& window, WindowClassInfo& classInfo, int* keys);
// Draws the shot's frames, each ending with SwapBuffers, the last one read back before its swap.
// rgba: 800 x 600 RGBA rows bottom-up.
void drawFrameShot(GLWindow& window, const FrameShot& shot, unsigned char* rgba);
