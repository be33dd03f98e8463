// SPDX-License-Identifier: MIT
// The DirectInput 7 subset over the backend's keyboard and mouse: the interface object, the two system
// devices, their published data formats, and the test seam. Program thread only.
#include <cstring>

#include "platform/common/dinput_backend.h"
#include "platform/common/dinput_seam.h"
#include "platform/dinput_api.h"

const GUID GUID_SysKeyboard = {0x6F1D2B61, 0xD5A0, 0x11CF, {0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
const GUID GUID_SysMouse = {0x6F1D2B60, 0xD5A0, 0x11CF, {0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};

const DIDATAFORMAT c_dfDIKeyboard = {sizeof(DIDATAFORMAT), 0, 0, 256, 0, nullptr};
const DIDATAFORMAT c_dfDIMouse = {sizeof(DIDATAFORMAT), 0, 0, sizeof(DIMOUSESTATE), 0, nullptr};

namespace {

struct Seam {
    int failures[6][3] = {};  // [call][device]: remaining failures, -1 forever
    unsigned lostEpoch[3] = {};  // a device acquired before its kind's epoch moved on is lost
    std::vector<std::string> log;
    int live = 0;
};

Seam& seam() {
    static Seam state;
    return state;
}

const char* deviceName(DinputDevice device) {
    return device == DinputDevice::Keyboard ? "keyboard" : device == DinputDevice::Mouse ? "mouse" : "dinput";
}

// Records the call and says whether the seam makes it fail.
bool seamRefuses(DinputCall call, DinputDevice device, const char* name) {
    Seam& s = seam();
    s.log.push_back(std::string(deviceName(device)) + "." + name);
    int& left = s.failures[static_cast<int>(call)][static_cast<int>(device)];
    if (left == 0) return false;
    if (left > 0) left--;
    return true;
}

bool sameGuid(const GUID& a, const GUID& b) { return std::memcmp(&a, &b, sizeof(GUID)) == 0; }

class SystemDevice final : public IDirectInputDeviceA {
public:
    explicit SystemDevice(DinputDevice kind) : kind(kind), lostEpoch(seam().lostEpoch[static_cast<int>(kind)]) {
        seam().live++;
    }

    HRESULT SetDataFormat(LPCDIDATAFORMAT newFormat) override {
        if (seamRefuses(DinputCall::SetDataFormat, kind, "SetDataFormat")) return DIERR_GENERIC;
        if (!newFormat) return DIERR_INVALIDPARAM;
        format = newFormat;
        return DI_OK;
    }

    HRESULT SetCooperativeLevel(HWND, DWORD flags) override {
        if (seamRefuses(DinputCall::SetCooperativeLevel, kind, "SetCooperativeLevel")) return DIERR_GENERIC;
        // Exactly one of each pair.
        bool exclusive = (flags & DISCL_EXCLUSIVE) != 0, nonExclusive = (flags & DISCL_NONEXCLUSIVE) != 0;
        bool foreground = (flags & DISCL_FOREGROUND) != 0, background = (flags & DISCL_BACKGROUND) != 0;
        if (exclusive == nonExclusive || foreground == background) return DIERR_INVALIDPARAM;
        return DI_OK;
    }

    HRESULT Acquire() override {
        if (seamRefuses(DinputCall::Acquire, kind, "Acquire")) return DIERR_GENERIC;
        if (!format) return DIERR_INVALIDPARAM;
        acquired = true;
        lostEpoch = seam().lostEpoch[static_cast<int>(kind)];
        return DI_OK;
    }

    HRESULT Unacquire() override {
        seam().log.push_back(std::string(deviceName(kind)) + ".Unacquire");
        acquired = false;
        return DI_OK;
    }

    HRESULT GetDeviceState(DWORD size, LPVOID data) override {
        if (seamRefuses(DinputCall::GetDeviceState, kind, "GetDeviceState")) return DIERR_GENERIC;
        if (lostEpoch != seam().lostEpoch[static_cast<int>(kind)]) {
            acquired = false;
            return DIERR_INPUTLOST;
        }
        if (!acquired) return DIERR_NOTACQUIRED;
        if (!format || !data || size != format->dwDataSize) return DIERR_INVALIDPARAM;
        if (format == &c_dfDIKeyboard) {
            readBackendKeyboard(static_cast<BYTE*>(data));
        } else {
            readBackendMouse(static_cast<DIMOUSESTATE*>(data));
        }
        return DI_OK;
    }

    DWORD Release() override {
        seam().log.push_back(std::string(deviceName(kind)) + ".Release");
        seam().live--;
        delete this;
        return 0;
    }

private:
    ~SystemDevice() {}
    DinputDevice kind;
    unsigned lostEpoch;
    LPCDIDATAFORMAT format = nullptr;
    bool acquired = false;
};

class DirectInputObject final : public IDirectInputA {
public:
    DirectInputObject() { seam().live++; }

    HRESULT CreateDevice(REFGUID guid, LPDIRECTINPUTDEVICEA* device, LPUNKNOWN) override {
        DinputDevice kind = sameGuid(guid, GUID_SysKeyboard) ? DinputDevice::Keyboard
                            : sameGuid(guid, GUID_SysMouse)  ? DinputDevice::Mouse
                                                             : DinputDevice::None;
        if (seamRefuses(DinputCall::CreateDevice, kind, "CreateDevice")) return DIERR_GENERIC;
        if (!device || kind == DinputDevice::None) return DIERR_INVALIDPARAM;
        *device = new SystemDevice(kind);
        return DI_OK;
    }

    DWORD Release() override {
        seam().log.push_back("dinput.Release");
        seam().live--;
        delete this;
        return 0;
    }

private:
    ~DirectInputObject() {}
};

}  // namespace

HRESULT DirectInputCreateA(HINSTANCE, DWORD version, LPDIRECTINPUTA* directInput, LPUNKNOWN) {
    if (seamRefuses(DinputCall::CreateInterface, DinputDevice::None, "DirectInputCreateA")) return DIERR_GENERIC;
    if (!directInput || version > 0x0700) return DIERR_INVALIDPARAM;
    *directInput = new DirectInputObject();
    return DI_OK;
}

void dinputSeamReset() {
    Seam& s = seam();
    std::memset(s.failures, 0, sizeof s.failures);
    s.log.clear();
}

void dinputSeamFail(DinputCall call, DinputDevice device, int count) {
    seam().failures[static_cast<int>(call)][static_cast<int>(device)] = count;
}

void dinputSeamLose(DinputDevice device) { seam().lostEpoch[static_cast<int>(device)]++; }

const std::vector<std::string>& dinputSeamLog() { return seam().log; }

int dinputSeamLiveObjects() { return seam().live; }
