// SPDX-License-Identifier: MIT
// The content sheet: every picture on one PNG with its name, over a checkerboard that shows transparency.
#pragma once

#include <string>
#include <vector>

#include "tools/make_content/canvas.h"

struct SheetItem {
    std::string label;
    const Canvas* picture;
};

Canvas composeSheet(const std::vector<SheetItem>& items);
bool writePng(const std::string& path, const Canvas& canvas);
