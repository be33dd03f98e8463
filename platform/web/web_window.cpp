// SPDX-License-Identifier: MIT
// Windows, key events, the display mode, the cursor and message boxes in the browser: the program's one window
// is the page's 800 x 600 canvas; the page's key events become WM_KEYDOWN/WM_KEYUP with the virtual-key codes
// (Alt combinations and F10 as system keys) and the DirectInput key state; a switch to full screen asks the
// browser to show the canvas full screen (scaled to fit) and is never refused, since the canvas in the page is
// the fallback; leaving full screen other than by the program counts as Escape; message boxes are shown on the
// page and printed as "Caption: text". Main thread only.
#include "platform/web/web_backend.h"

#include <emscripten.h>

#include <cstring>

// The page's key events, queued until the program's next message pump. Only F1 and Escape, the keys the program
// acts on, lose their browser meaning (F1 would open the browser's help); nothing is held back once the program
// has ended or while a message box waits.
EM_JS(void, tavListenKeys, (), {
    Module.tavKeys = [];
    var push = function(event, down) {
        if (!Module.tavRunning || Module.tavBoxOpen) {
            return;
        }
        if (event.code === "F1" || event.code === "Escape" || event.keyCode === 112 || event.keyCode === 27) {
            event.preventDefault();
        }
        Module.tavKeys.push({down: down, code: event.code || "", keyCode: event.keyCode || 0,
                             repeat: event.repeat, alt: event.altKey});
        if (Module.tavInputWake) {
            Module.tavInputWake();
        }
    };
    // Full screen left by the browser's own means (the back gesture on a phone, Escape held down), not by the
    // program, ends the show as Escape does: where there is no key to press, that is how one quits.
    document.addEventListener("fullscreenchange", function() {
        if (document.fullscreenElement) {
            return;
        }
        if (Module.tavLeavingFullscreen) {
            Module.tavLeavingFullscreen = false;
        } else if (Module.tavRunning && typeof window.tavPressEscape === "function") {
            window.tavPressEscape();
        }
    });
    window.addEventListener("keydown", function(event) { push(event, true); });
    window.addEventListener("keyup", function(event) { push(event, false); });
    // Keys released while the page had no focus never report it: let go of everything instead.
    window.addEventListener("blur", function() {
        if (Module.tavRunning) {
            Module.tavKeys.push({blur: true});
        }
    });
});

// The next queued key: 0 when none, 1 for a key (its code into code, down/keyCode/repeat/alt into info), 2 for
// "the page lost focus".
EM_JS(int, tavNextKey, (char* code, int codeSize, int* info), {
    var key = Module.tavKeys && Module.tavKeys.shift();
    if (!key) {
        return 0;
    }
    if (key.blur) {
        return 2;
    }
    stringToUTF8(key.code, code, codeSize);
    HEAP32[info >> 2] = key.down ? 1 : 0;
    HEAP32[(info >> 2) + 1] = key.keyCode;
    HEAP32[(info >> 2) + 2] = key.repeat ? 1 : 0;
    HEAP32[(info >> 2) + 3] = key.alt ? 1 : 0;
    return 1;
});

EM_JS(void, tavSetCanvasSize, (int width, int height), {
    var canvas = document.getElementById("canvas");
    // Assigning a size clears the drawing buffer even when it stays the same.
    if (canvas && (canvas.width !== width || canvas.height !== height)) {
        canvas.width = width;
        canvas.height = height;
    }
});

// The page's stage (the canvas and the message boxes) goes full screen, the canvas scaled to fit. The start
// click and F1's keydown are the user gestures a browser wants; where it refuses anyway, the canvas stays in the
// page.
EM_JS(void, tavEnterFullscreen, (), {
    var stage = document.getElementById("stage") || document.getElementById("canvas");
    if (!stage || !stage.requestFullscreen || document.fullscreenElement === stage) {
        return;
    }
    var refused = function(error) { console.log("tav: full screen refused: " + (error && error.message)); };
    try {
        var request = stage.requestFullscreen({navigationUI: "hide"});
        if (request && request.then) {
            // In full screen the browser keeps Escape for itself (it leaves full screen); the show quits on
            // it, so ask for the key. A long press still leaves full screen.
            request.then(function() {
                if (navigator.keyboard && navigator.keyboard.lock) {
                    navigator.keyboard.lock(["Escape"]).catch(function() {});
                }
            }, refused);
        }
    } catch (error) {
        refused(error);
    }
});

EM_JS(void, tavLeaveFullscreen, (), {
    if (navigator.keyboard && navigator.keyboard.unlock) {
        navigator.keyboard.unlock();
    }
    if (document.fullscreenElement && document.exitFullscreen) {
        Module.tavLeavingFullscreen = true;
        document.exitFullscreen().catch(function() { Module.tavLeavingFullscreen = false; });
    }
});

EM_JS(void, tavShowCursor, (int shown), {
    var canvas = document.getElementById("canvas");
    if (canvas) {
        canvas.style.cursor = shown ? "" : "none";
    }
});

// Prints the box, records it for the page's state, and opens the page's modal (window.tavShowMessageBox),
// which calls back when OK is pressed. Without a page modal the box counts as answered at once.
EM_JS(void, tavOpenBox, (const char* captionText, const char* messageText), {
    var caption = UTF8ToString(captionText);
    var text = UTF8ToString(messageText);
    console.log(caption + ": " + text);
    if (typeof window !== "undefined" && window.tav && window.tav.messages) {
        window.tav.messages.push(caption + ": " + text);
    }
    Module.tavBoxOpen = false;
    if (typeof window !== "undefined" && typeof window.tavShowMessageBox === "function") {
        Module.tavBoxOpen = true;
        window.tavShowMessageBox(caption, text, function() { Module.tavBoxOpen = false; });
    }
});

EM_JS(int, tavBoxIsOpen, (), { return Module.tavBoxOpen ? 1 : 0; });

namespace {

struct KeyName {
    const char* code;   // KeyboardEvent.code: the physical key
    int scanCode;       // its DirectInput key code
    int virtualKey;     // the US layout"s virtual key, for events that carry no keyCode
};

const KeyName keyNames[] = {
    {"Escape", 0x01, VK_ESCAPE}, {"Minus", 0x0C, VK_OEM_MINUS}, {"Equal", 0x0D, VK_OEM_PLUS},
    {"Backspace", 0x0E, VK_BACK}, {"Tab", 0x0F, VK_TAB}, {"BracketLeft", 0x1A, VK_OEM_4},
    {"BracketRight", 0x1B, VK_OEM_6}, {"Enter", 0x1C, VK_RETURN}, {"ControlLeft", 0x1D, VK_CONTROL},
    {"Semicolon", 0x27, VK_OEM_1}, {"Quote", 0x28, VK_OEM_7}, {"Backquote", 0x29, VK_OEM_3},
    {"ShiftLeft", 0x2A, VK_SHIFT}, {"Backslash", 0x2B, VK_OEM_5}, {"Comma", 0x33, VK_OEM_COMMA},
    {"Period", 0x34, VK_OEM_PERIOD}, {"Slash", 0x35, VK_OEM_2}, {"ShiftRight", 0x36, VK_SHIFT},
    {"NumpadMultiply", 0x37, VK_MULTIPLY}, {"AltLeft", 0x38, VK_MENU}, {"Space", 0x39, VK_SPACE},
    {"CapsLock", 0x3A, VK_CAPITAL}, {"NumLock", 0x45, VK_NUMLOCK}, {"ScrollLock", 0x46, VK_SCROLL},
    {"Numpad7", 0x47, VK_NUMPAD7}, {"Numpad8", 0x48, VK_NUMPAD8}, {"Numpad9", 0x49, VK_NUMPAD9},
    {"NumpadSubtract", 0x4A, VK_SUBTRACT}, {"Numpad4", 0x4B, VK_NUMPAD4}, {"Numpad5", 0x4C, VK_NUMPAD5},
    {"Numpad6", 0x4D, VK_NUMPAD6}, {"NumpadAdd", 0x4E, VK_ADD}, {"Numpad1", 0x4F, VK_NUMPAD1},
    {"Numpad2", 0x50, VK_NUMPAD2}, {"Numpad3", 0x51, VK_NUMPAD3}, {"Numpad0", 0x52, VK_NUMPAD0},
    {"NumpadDecimal", 0x53, VK_DECIMAL}, {"F11", 0x57, VK_F11}, {"F12", 0x58, VK_F12},
    {"NumpadEnter", 0x9C, VK_RETURN}, {"ControlRight", 0x9D, VK_CONTROL}, {"NumpadDivide", 0xB5, VK_DIVIDE},
    {"AltRight", 0xB8, VK_MENU}, {"Pause", 0xC5, VK_PAUSE}, {"Home", 0xC7, VK_HOME}, {"ArrowUp", 0xC8, VK_UP},
    {"PageUp", 0xC9, VK_PRIOR}, {"ArrowLeft", 0xCB, VK_LEFT}, {"ArrowRight", 0xCD, VK_RIGHT},
    {"End", 0xCF, VK_END}, {"ArrowDown", 0xD0, VK_DOWN}, {"PageDown", 0xD1, VK_NEXT},
    {"Insert", 0xD2, VK_INSERT}, {"Delete", 0xD3, VK_DELETE},
};

// Letters by keyboard row, as their scan codes run.
const char* const letterRows[] = {"QWERTYUIOP", "ASDFGHJKL", "ZXCVBNM"};
const int letterRowStart[] = {0x10, 0x1E, 0x2C};

// The scan code and US virtual key of a KeyboardEvent.code; false for keys the program has no name for.
bool lookUp(const char* code, int* scanCode, int* virtualKey)
{
    if (std::strncmp(code, "Key", 3) == 0 && code[3] >= 'A' && code[3] <= 'Z' && code[4] == '\0') {
        for (int row = 0; row < 3; ++row) {
            if (const char* at = std::strchr(letterRows[row], code[3])) {
                *scanCode = letterRowStart[row] + static_cast<int>(at - letterRows[row]);
                *virtualKey = code[3];
                return true;
            }
        }
    }
    if (std::strncmp(code, "Digit", 5) == 0 && code[5] >= '0' && code[5] <= '9' && code[6] == '\0') {
        *scanCode = code[5] == '0' ? 0x0B : 0x02 + (code[5] - '1');
        *virtualKey = code[5];
        return true;
    }
    bool oneDigit = code[0] == 'F' && code[1] >= '1' && code[1] <= '9' && code[2] == '\0';
    bool ten = code[0] == 'F' && code[1] == '1' && code[2] == '0' && code[3] == '\0';
    if (oneDigit || ten) {
        int number = ten ? 10 : code[1] - '0';
        *scanCode = 0x3B + number - 1;
        *virtualKey = VK_F1 + number - 1;
        return true;
    }
    for (const KeyName& key : keyNames) {
        if (std::strcmp(code, key.code) == 0) {
            *scanCode = key.scanCode;
            *virtualKey = key.virtualKey;
            return true;
        }
    }
    return false;
}

bool virtualKeyDown[256];

void releaseAllKeys(HWND hwnd)
{
    const unsigned char* down = webKeysDown();
    for (int scanCode = 1; scanCode < 256; ++scanCode) {
        if (down[scanCode]) {
            webSetKeyDown(scanCode, false);
        }
    }
    // The window procedure keeps its own key table from the messages.
    for (int vk = 1; vk < 256; ++vk) {
        if (virtualKeyDown[vk] && hwnd) {
            win32QueueInput(hwnd, WM_KEYUP, static_cast<WPARAM>(vk), win32KeyLParam(false, false, 0));
        }
        virtualKeyDown[vk] = false;
    }
}

void queueKey(HWND hwnd, const char* code, const int* info)
{
    bool down = info[0] != 0;
    int keyCode = info[1];
    bool repeat = info[2] != 0;
    bool alt = info[3] != 0;
    int scanCode = 0;
    int usKey = 0;
    bool named = lookUp(code, &scanCode, &usKey);
    // The browser"s keyCode is the layout"s virtual key, as Windows would give it; the code"s US key stands in
    // for events that carry none.
    int vk = keyCode > 0 && keyCode < 256 ? keyCode : usKey;
    if (named) {
        webSetKeyDown(scanCode, down);
    }
    if (!hwnd || vk == 0) {
        return;
    }
    virtualKeyDown[vk] = down;
    bool system = alt || vk == VK_F10 || vk == VK_MENU;
    UINT message = system ? (down ? WM_SYSKEYDOWN : WM_SYSKEYUP) : (down ? WM_KEYDOWN : WM_KEYUP);
    LPARAM lParam = win32KeyLParam(down, alt, scanCode & 0x7F);
    if (scanCode & 0x80) {
        lParam |= static_cast<LPARAM>(1u << 24);  // an extended key
    }
    if (down && repeat) {
        lParam |= static_cast<LPARAM>(1u << 30);  // the key was already down
    }
    win32QueueInput(hwnd, message, static_cast<WPARAM>(vk), lParam);
}

bool listening = false;
int cursorCount = 0;

}  // namespace

// ---- Hooks of the common window code.

bool nativeRegisterClass(const WNDCLASSEXA*)
{
    return true;
}

bool nativeCreateWindow(HWND hwnd)
{
    // One canvas, so one window at a time.
    for (HWND other : win32Windows()) {
        if (other->native) {
            return false;
        }
    }
    if (!listening) {
        tavListenKeys();
        listening = true;
    }
    EM_ASM({ Module.tavRunning = true; });
    hwnd->native = hwnd;
    hwnd->dc.native = hwnd;
    tavSetCanvasSize(hwnd->width > 0 ? hwnd->width : webCanvasWidth,
                     hwnd->height > 0 ? hwnd->height : webCanvasHeight);
    return true;
}

void nativeDestroyWindow(HWND hwnd)
{
    hwnd->native = nullptr;
}

void nativeShowWindow(HWND, int)
{
    // The canvas is always on the page; minimizing and maximizing have no meaning there.
}

bool nativeGetDC(HWND)
{
    return true;
}

void nativePumpEvents()
{
    HWND hwnd = win32LatestWindow();
    char code[32];
    int info[4];
    for (;;) {
        int got = tavNextKey(code, static_cast<int>(sizeof code), info);
        if (got == 0) {
            return;
        }
        if (got == 2) {
            releaseAllKeys(hwnd);
        } else {
            queueKey(hwnd, code, info);
        }
    }
}

void nativeWaitEvents()
{
    webWaitInput(50);
}

void nativeStartScreenSaver()
{
    // The browser has its own; the page neither starts nor stops it.
}

// ---- Display, cursor, message boxes.

LONG WINAPI ChangeDisplaySettingsA(DEVMODEA* mode, DWORD)
{
    if (!mode) {
        tavLeaveFullscreen();
        return DISP_CHANGE_SUCCESSFUL;
    }
    if (!(mode->dmFields & DM_PELSWIDTH) || !(mode->dmFields & DM_PELSHEIGHT) || mode->dmPelsWidth == 0 ||
        mode->dmPelsHeight == 0) {
        return DISP_CHANGE_BADMODE;
    }
    // The browser scales the canvas to the screen, so every size "exists"; a refused request leaves the canvas
    // in the page, which is still the picture the program draws.
    tavEnterFullscreen();
    return DISP_CHANGE_SUCCESSFUL;
}

int WINAPI ShowCursor(BOOL show)
{
    cursorCount += show ? 1 : -1;
    tavShowCursor(cursorCount >= 0 ? 1 : 0);
    return cursorCount;
}

int WINAPI MessageBoxA(HWND, LPCSTR text, LPCSTR caption, UINT)
{
    tavOpenBox(caption ? caption : "Error", text ? text : "");
    while (tavBoxIsOpen()) {
        webYield(20);
    }
    return IDOK;
}
