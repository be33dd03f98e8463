// SPDX-License-Identifier: MIT
// The keyboard and mouse behind the DirectInput stand-in in the browser: the keys held down as the page's key
// events left them; the mouse never moves and no button is down (the show does not use it, and moving it would
// need the pointer locked).
#include "platform/web/web_backend.h"

#include "platform/common/dinput_backend.h"

#include <cstring>

static unsigned char keysDown[256];

void webSetKeyDown(int scanCode, bool down)
{
    if (scanCode > 0 && scanCode < 256) {
        keysDown[scanCode] = down ? 1 : 0;
    }
}

const unsigned char* webKeysDown()
{
    return keysDown;
}

void readBackendKeyboard(BYTE* keys)
{
    for (int i = 0; i < 256; ++i) {
        keys[i] = keysDown[i] ? 0x80 : 0;
    }
}

void readBackendMouse(DIMOUSESTATE* state)
{
    std::memset(state, 0, sizeof *state);
}
