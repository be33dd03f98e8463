// SPDX-License-Identifier: MIT
// The browser's seam: emscripten's emscripten_glXxx aliases of the WebGL calls.
#include "platform/gl11/gles_seam.h"

extern "C" {
#define GLES_SEAM_DECLARE(ret, name, params) ret emscripten_gl##name params;
GLES_SEAM_ENTRIES(GLES_SEAM_DECLARE)
#undef GLES_SEAM_DECLARE
}

GlesEntries gles;

bool glesSeamLoad()
{
#define GLES_SEAM_TAKE(ret, name, params) gles.name = emscripten_gl##name;
    GLES_SEAM_ENTRIES(GLES_SEAM_TAKE)
#undef GLES_SEAM_TAKE
    return true;
}
