// SPDX-License-Identifier: MIT
// Process entry of the show in the browser: the page calls main (callMain) from its start click; main calls
// the program's WinMain as the Windows start-up code would, then tells the page how it ended.
#include "app/main.h"

#include <emscripten.h>

EM_JS(void, tavReportEnd, (int result), {
    Module.tavRunning = false;
    if (typeof window !== "undefined" && window.tav) {
        window.tav.exitCode = result;
        window.tav.state = "ended";
        if (typeof window.tavShowEnded === "function") {
            window.tavShowEnded();
        }
    }
    console.log("tav: ended (" + result + ")");
});

int main(int, char**)
{
    int result = WinMain(GetModuleHandleA(nullptr), nullptr, const_cast<LPSTR>(""), SW_SHOWNORMAL);
    tavReportEnd(result);
    return result;
}
