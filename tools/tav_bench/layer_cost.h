// SPDX-License-Identifier: MIT
// tav-bench-gl11 only: how much of a frame's time the OpenGL 1.1 layer spends beneath itself, in GLES. Every
// entry of the layer's seam is wrapped with a clock, so what remains of a frame is the program's and the
// layer's own work: the part the browser's JavaScript and wasm side pays for.
#pragma once

// Wraps the seam of the context current now (call again after a new context: the layer reloads its seam).
void layerCostWrapSeam();
// Seconds spent inside GLES calls since the wrap.
double layerCostGlesSeconds();
