// SPDX-License-Identifier: MIT
// The keyboard and mouse through DirectInput: created per pass, polled every frame, with a message box for
// every failure the user should hear of.
#include "input/input_devices.h"

#include "platform/win32_api.h"

BYTE keyboardState[256];
DIMOUSESTATE mouseState;

namespace {

const DWORD cooperation = DISCL_NONEXCLUSIVE | DISCL_BACKGROUND;

void tell(HWND window, const char* text) { MessageBoxA(window, text, "ERROR", MB_OK); }

}  // namespace

bool InputDevices::create() {
    HWND window = GetForegroundWindow();
    // The pointer-sized read: a module instance does not fit a 32-bit LONG on 64-bit systems.
    HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(window, GWLP_HINSTANCE));
    if (FAILED(DirectInputCreateA(instance, 0x0700, &directInput, nullptr))) {
        directInput = nullptr;
        tell(window, "Could not create main DInput object");
        return false;
    }
    const char* failure = nullptr;
    if (FAILED(directInput->CreateDevice(GUID_SysKeyboard, &keyboard, nullptr))) {
        keyboard = nullptr;
        failure = "Could not create keyboard's object";
    } else if (FAILED(keyboard->SetDataFormat(&c_dfDIKeyboard))) {
        failure = "Could not set keyboard's data format";
    } else if (FAILED(keyboard->SetCooperativeLevel(window, cooperation))) {
        failure = "Could not set keyboard's cooperation level";
    }
    if (!failure) {
        keyboard->Acquire();  // only a lost device is worth a message; this result is not
        if (FAILED(directInput->CreateDevice(GUID_SysMouse, &mouse, nullptr))) {
            mouse = nullptr;
            failure = "Could not set create the mouse device";
        } else if (FAILED(mouse->SetDataFormat(&c_dfDIMouse))) {
            failure = "Could not set the mouse's data format";
        } else if (FAILED(mouse->SetCooperativeLevel(window, cooperation))) {
            failure = "Could not set the mouse's behavior";
        }
    }
    if (failure) {
        tell(window, failure);
        release();
        return false;
    }
    if (FAILED(mouse->Acquire())) {
        tell(window, "Could not acquire the mouse");
        release();
        return true;
    }
    if (FAILED(mouse->GetDeviceState(sizeof mouseState, &mouseState))) {
        tell(window, "The mouse has been lost in initialization");
        release();
    }
    return true;
}

void InputDevices::release() {
    if (mouse) {
        mouse->Unacquire();
        mouse->Release();
        mouse = nullptr;
    }
    if (keyboard) {
        keyboard->Unacquire();
        keyboard->Release();
        keyboard = nullptr;
    }
    if (directInput) {
        directInput->Release();
        directInput = nullptr;
    }
}

void InputDevices::poll() {
    HWND window = GetForegroundWindow();
    bool keyboardGivenUp = false;
    if (keyboard && keyboard->GetDeviceState(sizeof keyboardState, keyboardState) == DIERR_INPUTLOST &&
        FAILED(keyboard->Acquire())) {
        tell(window, "Keyboard has been lost");
        release();
        keyboardGivenUp = true;
    }
    if (!keyboardGivenUp && mouse && mouse->GetDeviceState(sizeof mouseState, &mouseState) == DIERR_INPUTLOST &&
        FAILED(mouse->Acquire())) {
        tell(window, "The mouse has been lost");
        release();
    }
    mouseWheel = mouseState.lZ;
    mouseX = mouseState.lX;
    mouseY = mouseState.lY;
}
