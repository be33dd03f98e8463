// SPDX-License-Identifier: MIT
#include "tools/tav_bench/reference_fountain.h"

#include <cstddef>

#include "media/sprite.h"
#include "platform/win32_api.h"
#include "show/particles.h"

#include <GL/gl.h>

void ReferenceFountain::draw(const Sprite* frameTexture)
{
    vertices.clear();
    texCoords.clear();
    colors.clear();
    runFirst.clear();
    runTexture.clear();
    // The texture each particle really draws with: its own when it differs from the frame's, else whatever the
    // previous particle left bound.
    unsigned int bound = frameTexture->textureId;
    int vertexCount = 0;
    for (const Particle& p : particles) {
        if (p.alive != 1) continue;
        if (p.texture != frameTexture) bound = p.texture->textureId;
        if (runTexture.empty() || runTexture.back() != bound) {
            runFirst.push_back(vertexCount);
            runTexture.push_back(bound);
        }
        const float x = p.position[0];
        const float y = p.position[1];
        const float z = baseDepth + p.position[2];
        const float a = particleOpacity(p.life);
        // The strip's two triangles: (1, 2, 3) and (2, 3, 4) of its four corners.
        const float corner[4][4] = {
            {x + 0.2f, y + 0.2f, 1, 1}, {x - 0.2f, y + 0.2f, 0, 1}, {x + 0.2f, y - 0.2f, 1, 0}, {x - 0.2f, y - 0.2f, 0, 0}};
        const int order[6] = {0, 1, 2, 1, 2, 3};
        for (int k : order) {
            vertices.insert(vertices.end(), {corner[k][0], corner[k][1], z});
            texCoords.insert(texCoords.end(), {corner[k][2], corner[k][3]});
            colors.insert(colors.end(), {p.color[0], p.color[1], p.color[2], a});
        }
        vertexCount += 6;
    }

    glDisable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glDisable(GL_LIGHTING);
    glEnable(GL_TEXTURE_2D);
    glPushMatrix();
    glLoadIdentity();
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glEnableClientState(GL_COLOR_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, vertices.data());
    glTexCoordPointer(2, GL_FLOAT, 0, texCoords.data());
    glColorPointer(4, GL_FLOAT, 0, colors.data());
    for (std::size_t r = 0; r < runFirst.size(); ++r) {
        const int end = r + 1 < runFirst.size() ? runFirst[r + 1] : vertexCount;
        glBindTexture(GL_TEXTURE_2D, runTexture[r]);
        glDrawArrays(GL_TRIANGLES, runFirst[r], end - runFirst[r]);
    }
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glDisableClientState(GL_COLOR_ARRAY);
    glPopMatrix();
    glEnable(GL_DEPTH_TEST);
    glDisable(GL_BLEND);
}
