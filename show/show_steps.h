// The show's four steps as the entry routine calls them once per pass.
#pragma once

#include "app/gl_window.h"

void initShow(GLWindow* window);
bool loadShow(GLWindow* window, int* keyState);
void shutdownShow();

class ShowTimeline {
public:
    void drawFrame();
};
extern ShowTimeline showTimeline;
