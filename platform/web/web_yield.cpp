// SPDX-License-Identifier: MIT
// The points where the program gives the browser control: each one tops up the audio output, then sleeps
// through Asyncify (the program's call stack is saved, the browser runs, the stack is resumed). The sleeping
// JavaScript imports defined here are named in the link's ASYNCIFY_IMPORTS.
#include "platform/web/web_backend.h"

#include "platform/web/web_audio.h"

#include <emscripten.h>

// The animation frame, with a timer beside it: a hidden tab stops animation frames, and the sound must still
// be fed.
EM_JS(void, tavSleepUntilFrame, (), {
    Asyncify.handleSleep(function(wakeUp) {
        var done = false;
        var wake = function() {
            if (!done) {
                done = true;
                wakeUp();
            }
        };
        requestAnimationFrame(wake);
        setTimeout(wake, 100);
    });
});

// Until the key listener sees a key (it calls Module.tavInputWake) or the time runs out.
EM_JS(void, tavSleepUntilInput, (int timeoutMs), {
    Asyncify.handleSleep(function(wakeUp) {
        var done = false;
        var wake = function() {
            if (!done) {
                done = true;
                Module.tavInputWake = null;
                wakeUp();
            }
        };
        Module.tavInputWake = function() { setTimeout(wake, 0); };
        setTimeout(wake, timeoutMs);
    });
});

static double lastYield = 0.0;

void webYield(int ms)
{
    webAudioPump();
    emscripten_sleep(static_cast<unsigned>(ms < 0 ? 0 : ms));
    lastYield = emscripten_get_now();
}

void webWaitFrame()
{
    webAudioPump();
    tavSleepUntilFrame();
    lastYield = emscripten_get_now();
}

void webWaitInput(int timeoutMs)
{
    webAudioPump();
    tavSleepUntilInput(timeoutMs);
    lastYield = emscripten_get_now();
}

double webMsSinceYield()
{
    return emscripten_get_now() - lastYield;
}
