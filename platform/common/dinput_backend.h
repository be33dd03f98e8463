// SPDX-License-Identifier: MIT
// The present keyboard and mouse, as the DirectInput stand-in's devices read them (dinput_readers.cpp).
#pragma once

#include "platform/dinput_api.h"

// Fills 256 bytes indexed by DirectInput key code, 0x80 while the key is down.
void readBackendKeyboard(BYTE* keys);
// Movement since the previous read (x, y, wheel in 120ths of a notch) and the buttons, 0x80 while down.
void readBackendMouse(DIMOUSESTATE* state);
