// SPDX-License-Identifier: MIT
// The show's four steps as the entry routine calls them once per pass.
#pragma once

#include "app/gl_window.h"
#include "show/timeline.h"

void initShow(GLWindow* window);
bool loadShow(GLWindow* window, int* keyState);
void shutdownShow();

extern ShowTimeline showTimeline;
