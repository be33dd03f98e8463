// SPDX-License-Identifier: MIT
// The native seam: the entry points of the current EGL context (a GLES 2 or 3 one), from eglGetProcAddress. The
// process may hold Mesa's desktop GL beside the layer, so nothing here goes through the plain GL names.
#include "platform/gl11/gles_seam.h"

#include <EGL/egl.h>

#include <cstdio>

GlesEntries gles;

bool glesSeamLoad()
{
    bool complete = true;
#define GLES_SEAM_TAKE(ret, name, params)                                                   \
    gles.name = reinterpret_cast<ret(*) params>(eglGetProcAddress("gl" #name));              \
    if (!gles.name) {                                                                        \
        std::printf("gl: the GLES context lacks gl%s\n", #name);                             \
        complete = false;                                                                    \
    }
    GLES_SEAM_ENTRIES(GLES_SEAM_TAKE)
#undef GLES_SEAM_TAKE
    return complete;
}
