// SPDX-License-Identifier: MIT
// The particle fountain: 4000 textured squares flying from a distant plane toward the viewer, fading in and out
// over their life and reborn with the frame's texture when their life runs out. Also the show's scratch buffer.
#pragma once

class Sprite;

const int particleCount = 4000;

struct Particle {
    unsigned char alive;
    float life;            // from 2.0 down; opacity derives from it
    float fadeRate;        // life lost per tick
    float color[3];
    float position[3];     // view units; z is added to baseDepth
    float velocity[3];     // divided by speedDivisor x 1000 per tick
    float acceleration[3]; // set, never applied
    Sprite* texture;
};

extern Particle particles[particleCount];
extern float speedDivisor;
extern float baseDepth;
extern float fountainColor[3];

// Opacity for a given remaining life: rises from 0 to 1 while life falls from 2 to 1, then falls back to 0.
float particleOpacity(float life);

// true (the default): the update records each square and the squares are drawn grouped by the texture each one
// really gets, at most one bind per texture. false: one strip per particle in index order, binding as it goes,
// the reference the grouped drawing is checked against. Both update the particles identically.
extern bool fountainDrawsByTexture;

bool initFountain(Sprite* texture);
bool updateAndDrawFountain(Sprite* texture);

// Frees the scratch buffer and, for a non-zero count, allocates count 16-byte records.
bool resizeScratchBuffer(int count);
extern void* scratchBuffer;
extern int scratchCount;
