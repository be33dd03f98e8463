// SPDX-License-Identifier: MIT
// The shots, and how both programs step the show's timeline through them.
#include "tests/e2e_web/frame_steps.h"

#include "app/main.h"
#include "platform/win32_api.h"
#include "show/show_steps.h"
#include "show/timeline.h"

#include <GL/gl.h>

namespace {

// The heaviest scenes: the fountain in every prologue, cube rows with a full-window blit, a quad field, the
// cube grid with its tile overlay, and the alpha-blended quad field over the depth quad. Each shot goes on from
// the picture the one before left (the show never clears).
const FrameShot shots[] = {
    {"titles", 320, 40},
    {"cube_rows", 704, 20},
    {"quad_field", 1088, 20},
    {"cube_grid", 1312, 20},
    {"quad_field_alpha", 2080, 20},
};

int heldPosition = 0;

}  // namespace

int frameShotCount()
{
    return static_cast<int>(sizeof shots / sizeof shots[0]);
}

const FrameShot& frameShot(int index)
{
    return shots[index];
}

void fillShowWindow(GLWindow& window, WindowClassInfo& classInfo, int* keys)
{
    classInfo.instance = GetModuleHandleA(nullptr);
    classInfo.className = "OpenGL";
    window.keyState = keys;
    window.classInfo = &classInfo;
    window.title = "T.A.V.";
    window.width = 800;
    window.height = 600;
    window.colorBits = 32;
    window.fullscreen = 0;
}

void drawFrameShot(GLWindow& window, const FrameShot& shot, unsigned char* rgba)
{
    heldPosition = shot.position;
    musicPositionOverride = &heldPosition;
    for (int i = 0; i < shot.frames; ++i) {
        frameDelta = 1.0f / 60.0f;
        showTimeline.drawFrame();
        if (i == shot.frames - 1) {
            glPixelStorei(GL_PACK_ALIGNMENT, 4);
            glReadPixels(0, 0, 800, 600, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
        }
        SwapBuffers(window.hdc);
    }
    musicPositionOverride = nullptr;
}
