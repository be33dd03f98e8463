// SPDX-License-Identifier: MIT
// The scenes' drawing routines: the darkening quad, textured-scene preset, cube rows and grid, the g-tile
// overlay, the quad field, the depth quad and the jitter of sprite positions, with the state they own.
#pragma once

struct CubeVertex {
    float s, t;
    float x, y, z;
};

// Six faces of four rows each, a cube of edge 2 centred on the origin; rows 0-3 are the front face (z = +1).
extern const CubeVertex CubeVertices[24];

const int spinAngleCount = 80;
const int fieldQuadCount = 45;

extern float spinAngles[spinAngleCount];
extern float fieldOffsetX[fieldQuadCount];
extern float fieldOffsetY[fieldQuadCount];
extern int tileStep;
extern int tileIndex;
extern float tileDepth;

struct JitteredPosition {
    int x, y;
};

void drawCube();
void drawFrontFace();

void drawFadeQuad(float red, float green, float blue, float alpha);
void beginTexturedScene(unsigned int destinationFactor);
void drawCubeRows(int step);
void drawCubeGrid();
void drawTileOverlay(int position, int base);
void fillFieldOffsets();
void resetSpinAngles();
void drawQuadField(float depth);
void drawDepthQuad(float z);
JitteredPosition jitterPosition(int x, int y);
JitteredPosition jitterPosition(float x, float y);
