// The headless backend's keyboard and mouse for the DirectInput stand-in: nothing is ever pressed or moved.
#include <cstring>

#include "platform/common/dinput_backend.h"

void readBackendKeyboard(BYTE* keys) { std::memset(keys, 0, 256); }

void readBackendMouse(DIMOUSESTATE* state) { std::memset(state, 0, sizeof *state); }

HRESULT DirectInputCreateA(HINSTANCE, DWORD version, LPDIRECTINPUTA* directInput, LPUNKNOWN) {
    return createDirectInput(version, directInput);
}
