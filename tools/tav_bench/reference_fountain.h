// SPDX-License-Identifier: MIT
// The fastest way this GL draws the fountain's pixels: the same 4000 squares, colours and textures as the
// fountain's immediate-mode strips, from client-side vertex arrays, one glDrawArrays per run of particles that
// draw with the same texture. Draws the particles as they stand; moves nothing.
#pragma once

#include <vector>

class Sprite;

class ReferenceFountain {
public:
    // Fills the arrays from the particles (as the fountain would draw them with this frame texture) and draws.
    void draw(const Sprite* frameTexture);
    int runs() const { return static_cast<int>(runFirst.size()); }

private:
    std::vector<float> vertices;   // x, y, z
    std::vector<float> texCoords;  // s, t
    std::vector<float> colors;     // r, g, b, a
    std::vector<int> runFirst;
    std::vector<unsigned int> runTexture;
};
