// SPDX-License-Identifier: MIT
// The DirectInput 7 subset the input devices use, with the platform's names, types and values. On Windows this
// is <dinput.h>; elsewhere platform/common provides the objects over the backend's keyboard and mouse.
#pragma once

#include "platform/win32_api.h"

#ifdef _WIN32
#define DIRECTINPUT_VERSION 0x0700
#include <dinput.h>
#else

typedef LONG HRESULT;

#ifndef SUCCEEDED
#define SUCCEEDED(hr) (((HRESULT)(hr)) >= 0)
#endif
#ifndef FAILED
#define FAILED(hr) (((HRESULT)(hr)) < 0)
#endif

#define DI_OK ((HRESULT)0)
#define DIERR_INPUTLOST ((HRESULT)0x8007001EL)
#define DIERR_GENERIC ((HRESULT)0x80004005L)
#define DIERR_INVALIDPARAM ((HRESULT)0x80070057L)
#define DIERR_NOTACQUIRED ((HRESULT)0x8007000CL)

#define DIRECTINPUT_VERSION 0x0700

#define DISCL_EXCLUSIVE    0x00000001
#define DISCL_NONEXCLUSIVE 0x00000002
#define DISCL_FOREGROUND   0x00000004
#define DISCL_BACKGROUND   0x00000008

struct GUID {
    DWORD Data1;
    WORD Data2;
    WORD Data3;
    BYTE Data4[8];
};
typedef const GUID& REFGUID;

extern const GUID GUID_SysKeyboard;  // {6F1D2B61-D5A0-11CF-BFC7-444553540000}
extern const GUID GUID_SysMouse;     // {6F1D2B60-D5A0-11CF-BFC7-444553540000}

// A device data format: which state block GetDeviceState fills and how big it is.
struct DIDATAFORMAT {
    DWORD dwSize;       // sizeof(DIDATAFORMAT)
    DWORD dwObjSize;
    DWORD dwFlags;
    DWORD dwDataSize;   // bytes of the state block
    DWORD dwNumObjs;
    const void* rgodf;
};
typedef const DIDATAFORMAT* LPCDIDATAFORMAT;

extern const DIDATAFORMAT c_dfDIKeyboard;  // 256 bytes, one per key code, high bit while down
extern const DIDATAFORMAT c_dfDIMouse;     // a DIMOUSESTATE

struct DIMOUSESTATE {
    LONG lX;                // movement since the last read
    LONG lY;
    LONG lZ;                // wheel movement
    BYTE rgbButtons[4];     // high bit while down
};

struct IUnknown;
typedef IUnknown* LPUNKNOWN;

struct IDirectInputDeviceA {
    virtual HRESULT SetDataFormat(LPCDIDATAFORMAT format) = 0;
    virtual HRESULT SetCooperativeLevel(HWND window, DWORD flags) = 0;
    virtual HRESULT Acquire() = 0;
    virtual HRESULT Unacquire() = 0;
    virtual HRESULT GetDeviceState(DWORD size, LPVOID data) = 0;
    virtual DWORD Release() = 0;
protected:
    ~IDirectInputDeviceA() {}
};
typedef IDirectInputDeviceA* LPDIRECTINPUTDEVICEA;
typedef IDirectInputDeviceA* LPDIRECTINPUTDEVICE;

struct IDirectInputA {
    virtual HRESULT CreateDevice(REFGUID guid, LPDIRECTINPUTDEVICEA* device, LPUNKNOWN outer) = 0;
    virtual DWORD Release() = 0;
protected:
    ~IDirectInputA() {}
};
typedef IDirectInputA* LPDIRECTINPUTA;
typedef IDirectInputA* LPDIRECTINPUT;

HRESULT DirectInputCreateA(HINSTANCE instance, DWORD version, LPDIRECTINPUTA* directInput, LPUNKNOWN outer);

#endif  // _WIN32
