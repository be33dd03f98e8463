// SPDX-License-Identifier: MIT
// The two ways to fill the GL 1.1 table.
#include "tests/gl11/gl11_table.h"

#include <EGL/egl.h>

#include <cstdio>

Gl11Table gl11LayerTable()
{
    Gl11Table table;
#define GL11_TAKE_LAYER(ret, name, params) table.name = &::gl##name;
    GL11_ENTRIES(GL11_TAKE_LAYER)
#undef GL11_TAKE_LAYER
    return table;
}

bool gl11MesaTable(Gl11Table& table)
{
    bool complete = true;
#define GL11_TAKE_MESA(ret, name, params)                                                  \
    table.name = reinterpret_cast<ret(*) params>(eglGetProcAddress("gl" #name));            \
    if (!table.name) {                                                                      \
        std::fprintf(stderr, "Mesa's GL has no gl%s\n", #name);                             \
        complete = false;                                                                   \
    }
    GL11_ENTRIES(GL11_TAKE_MESA)
#undef GL11_TAKE_MESA
    return complete;
}

const Gl11Table* gl11 = nullptr;
