// SPDX-License-Identifier: MIT
// The keyboard and mouse, opened through DirectInput per pass and read once per frame into program-wide buffers.
#pragma once

#include "platform/dinput_api.h"

// One program-wide instance, zero-filled before use: no constructor, no destructor.
class InputDevices {
public:
    LPDIRECTINPUTA directInput;    // null when none
    LPDIRECTINPUTDEVICEA keyboard; // null when none
    LPDIRECTINPUTDEVICEA mouse;    // null when none
    int mouseX;                    // movement copied from mouseState by poll
    int mouseY;
    int mouseWheel;

    // True once both devices are created and configured (the mouse may still have been given up afterwards).
    bool create();
    // Gives up mouse, keyboard, then the DirectInput object; safe on an empty object.
    void release();
    // Reads both devices, re-acquiring a lost one once; then copies the mouse movement fields.
    void poll();
};

extern BYTE keyboardState[256];    // DirectInput key codes, high bit while down
extern DIMOUSESTATE mouseState;    // x, y, wheel movement, four buttons
