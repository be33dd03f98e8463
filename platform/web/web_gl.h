// The seam between the browser window code and the OpenGL 1.1 stand-in over WebGL: the window code makes the
// WebGL context current, tells the stand-in once, and asks it to finish the frame before the browser presents.
// Main thread only.
#pragma once

// Called once the canvas's WebGL context (version 2, or 1 where 2 is missing) is current, before the program's
// first GL call; false when the stand-in cannot run on it (the context creation then fails).
bool webGlContextReady(int webglMajorVersion, int width, int height);
// Draws whatever the stand-in still holds batched; called by SwapBuffers before it yields to the browser.
void webGlFinishFrame();
