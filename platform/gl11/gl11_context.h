// SPDX-License-Identifier: MIT
// The OpenGL 1.1 layer's interface to the code that owns its context: the browser's window code (over a WebGL
// canvas) or a native backend (over an EGL GLES context). The owner makes the GLES context current, tells the
// layer once, and asks it to finish the frame before the frame is presented or read. One thread, one context.
#pragma once

// Called once the GLES context (major version 3, or 2 where 3 is missing; WebGL 2 and 1 are GLES 3 and 2) is
// current, before the program's first GL call; false when the layer cannot run on it.
bool gl11ContextReady(int glesMajorVersion, int width, int height);
// Draws whatever the layer still holds batched.
void gl11FinishFrame();
