// SPDX-License-Identifier: MIT
// Process entry of the show on the SDL backend: Linux's main calls the program's WinMain as the Windows
// start-up code would, with the module handle, no previous instance, the command-line tail and SW_SHOWNORMAL.
#include "app/main.h"

#include <SDL.h>

int main(int, char**)
{
    int result = WinMain(GetModuleHandleA(nullptr), nullptr, const_cast<LPSTR>(""), SW_SHOWNORMAL);
    SDL_Quit();
    return result;
}
