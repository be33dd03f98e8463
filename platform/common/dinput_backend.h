// What each backend supplies to the DirectInput stand-in: the entry point (so that linking a backend brings
// its keyboard and mouse along) and the present keyboard and mouse.
#pragma once

#include "platform/dinput_api.h"

// The shared object behind DirectInputCreateA, which each backend defines by calling this.
HRESULT createDirectInput(DWORD version, LPDIRECTINPUTA* directInput);

// Fills 256 bytes indexed by DirectInput key code, 0x80 while the key is down.
void readBackendKeyboard(BYTE* keys);
// Movement since the previous read (x, y, wheel in 120ths of a notch) and the buttons, 0x80 while down.
void readBackendMouse(DIMOUSESTATE* state);
