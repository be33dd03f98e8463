// SPDX-License-Identifier: MIT
// Small OpenGL 1.1 pictures, each covering one feature the show uses, drawn the same way by a native program
// (Mesa) and by the browser build (the GL stand-in over WebGL) so a test can compare them pixel by pixel.
// Each case draws into the window's lower-left caseWidth x caseHeight pixels from a reset state.
#pragma once

const int caseWidth = 256;
const int caseHeight = 192;

int glCaseCount();
const char* glCaseName(int index);
// Draws the case (a current context of at least caseWidth x caseHeight is needed) and reads its pixels back:
// RGBA, rows bottom-up, caseWidth * caseHeight * 4 bytes.
void glCaseDraw(int index, unsigned char* rgba);
