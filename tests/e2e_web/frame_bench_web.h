// SPDX-License-Identifier: MIT
// Figures for the browser build's frames: for a few scenes, the JavaScript + wasm time of a frame (the program's
// drawing and the GL stand-in's WebGL calls, up to the batch's last draw) and the whole frame time (the same
// with glFinish, so SwiftShader's rendering is in it), printed as "bench: ..." lines on the console.
#pragma once

#include "app/gl_window.h"

void runFrameBench(GLWindow& window, int frames);
