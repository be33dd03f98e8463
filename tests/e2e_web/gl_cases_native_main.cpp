// SPDX-License-Identifier: MIT
// The native side of the GL cases: opens the show's window on the headless backend (Mesa), draws every case
// and writes each as OUTDIR/NAME.rgba (caseWidth x caseHeight RGBA, rows bottom-up).
// Usage: gl_cases_native OUTDIR
#include "tests/e2e_web/gl_cases.h"
#include "tools/headless_window/headless_show_window.h"

#include <cstdio>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTDIR\n", argv[0]);
        return 2;
    }
    HeadlessShowWindow show;
    if (!show.openWindow()) {
        std::fprintf(stderr, "gl_cases_native: no GL window\n");
        return 1;
    }
    std::vector<unsigned char> rgba(caseWidth * caseHeight * 4);
    int failures = 0;
    for (int i = 0; i < glCaseCount(); ++i) {
        glCaseDraw(i, rgba.data());
        const std::string path = std::string(argv[1]) + "/" + glCaseName(i) + ".rgba";
        FILE* f = std::fopen(path.c_str(), "wb");
        if (!f || std::fwrite(rgba.data(), 1, rgba.size(), f) != rgba.size()) {
            std::fprintf(stderr, "gl_cases_native: cannot write %s\n", path.c_str());
            ++failures;
        }
        if (f)
            std::fclose(f);
    }
    show.closeWindow();
    return failures ? 1 : 0;
}
