// SPDX-License-Identifier: MIT
// The browser side of the GL cases: makes the canvas's WebGL context as the web window code makes it, hands it
// to the GL stand-in, draws every case and leaves the pixels for the page: window.glCases = [{name, webgl,
// pixels (Uint8Array, caseWidth x caseHeight RGBA, rows bottom-up)}], then window.glCasesDone = true.
#include "platform/gl11/gl11_context.h"
#include "tests/e2e_web/gl_cases.h"

#include <emscripten/emscripten.h>
#include <emscripten/html5.h>

#include <cstdio>
#include <vector>

int main()
{
    EmscriptenWebGLContextAttributes attributes;
    emscripten_webgl_init_context_attributes(&attributes);
    attributes.alpha = false;
    attributes.depth = true;
    attributes.stencil = false;
    attributes.antialias = false;
    attributes.preserveDrawingBuffer = true;
    attributes.premultipliedAlpha = false;
    // The page may ask for WebGL 1 (window.glCasesWebgl = 1) to try the stand-in where WebGL 2 is missing.
    attributes.majorVersion = EM_ASM_INT({ return window.glCasesWebgl === 1 ? 1 : 2; });
    EMSCRIPTEN_WEBGL_CONTEXT_HANDLE context = emscripten_webgl_create_context("#canvas", &attributes);
    if (context <= 0 && attributes.majorVersion == 2) {
        attributes.majorVersion = 1;
        context = emscripten_webgl_create_context("#canvas", &attributes);
    }
    if (context <= 0 || emscripten_webgl_make_context_current(context) != EMSCRIPTEN_RESULT_SUCCESS ||
        !gl11ContextReady(attributes.majorVersion + 1, 800, 600)) {
        std::printf("gl_cases: no WebGL context\n");
        EM_ASM(window.glCasesDone = true; window.glCases = null;);
        return 1;
    }
    std::vector<unsigned char> rgba(caseWidth * caseHeight * 4);
    EM_ASM(window.glCases = [];);
    for (int i = 0; i < glCaseCount(); ++i) {
        glCaseDraw(i, rgba.data());
        EM_ASM({ window.glCases.push({name : UTF8ToString($0), webgl : $1, pixels : HEAPU8.slice($2, $2 + $3)}); },
               glCaseName(i), attributes.majorVersion, rgba.data(), static_cast<int>(rgba.size()));
    }
    gl11FinishFrame();
    EM_ASM(window.glCasesDone = true;);
    return 0;
}
