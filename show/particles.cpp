// SPDX-License-Identifier: MIT
// The particle fountain, drawn in view space with additive blending and no depth test.
#include "show/particles.h"

#include <cstdlib>

#include "app/main.h"
#include "media/sprite.h"
#include "platform/win32_api.h"
#include <GL/gl.h>
#include "show/random.h"

Particle particles[particleCount];
float speedDivisor = 2.0f;
float baseDepth = -20.0f;
float fountainColor[3] = {0.5f, 0.7f, 1.0f};

void* scratchBuffer = nullptr;
int scratchCount = 0;

// A tick is 1/62.5 second: at 62.5 frames per second every frame advances one tick.
static const float ticksPerSecond = 62.5f;

static void spawn(Particle& p)
{
    p.fadeRate = static_cast<float>((nextRandom() % 100 + 1) * 0.0001 + 0.003);
    p.position[0] = static_cast<float>((nextRandom() % 100 - 50) * 0.1);
    p.position[1] = static_cast<float>((nextRandom() % 100 - 50) * 0.1);
    p.position[2] = 0.0f;
    p.velocity[0] = 0.0f;
    p.velocity[1] = 0.0f;
    p.velocity[2] = static_cast<float>((nextRandom() % 25 + 25) * 10);
}

float particleOpacity(float life)
{
    return life <= 1.0f ? life : 2.0f - life;
}

bool initFountain(Sprite* texture)
{
    for (Particle& p : particles) {
        p.alive = 1;
        p.life = static_cast<float>((nextRandom() % 200) * 0.01);
        spawn(p);
        for (int i = 0; i < 3; ++i)
            p.color[i] = fountainColor[i];
        p.acceleration[0] = 0.0f;
        p.acceleration[1] = -0.8f;
        p.acceleration[2] = 0.0f;
        p.texture = texture;
    }
    return true;
}

// The step that follows a particle's drawing: move, fade, and rebirth with the frame's texture.
static void advance(Particle& p, Sprite* texture, float t, float scale)
{
    for (int i = 0; i < 3; ++i)
        p.position[i] += p.velocity[i] / scale * t;
    p.life -= p.fadeRate * t;
    if (p.life < 0.0f) {
        p.life = 2.0f;
        spawn(p);
        p.texture = texture;
    }
}

// One strip per particle, in index order, binding as it goes: the reference for the grouped path below.
static void updateAndDrawInOrder(Sprite* texture, float t, float scale)
{
    texture->bind();
    for (Particle& p : particles) {
        if (p.alive != 1)
            continue;
        // Only particles that kept an older texture rebind; the frame's texture is not bound again, so a later
        // particle of the frame's texture draws with whatever was bound last.
        if (p.texture != texture)
            p.texture->bind();
        glColor4f(p.color[0], p.color[1], p.color[2], particleOpacity(p.life));
        const float x = p.position[0];
        const float y = p.position[1];
        const float z = baseDepth + p.position[2];
        glBegin(GL_TRIANGLE_STRIP);
        glTexCoord2d(1, 1); glVertex3f(x + 0.2f, y + 0.2f, z);
        glTexCoord2d(0, 1); glVertex3f(x - 0.2f, y + 0.2f, z);
        glTexCoord2d(1, 0); glVertex3f(x + 0.2f, y - 0.2f, z);
        glTexCoord2d(0, 0); glVertex3f(x - 0.2f, y - 0.2f, z);
        glEnd();
        advance(p, texture, t, scale);
    }
}

namespace {

// The squares of one frame as the in-order path would draw them, kept in static storage: four corners per
// drawn particle in index order, and for each the texture it really draws with. A texture change costs the
// software renderer far more than the pixels of a few hundred squares, so the squares are drawn one texture
// at a time; with additive blending and no depth test only rounding depends on their order.
struct FountainBatch {
    float vertices[particleCount * 4 * 3];
    float texCoords[particleCount * 4 * 2];
    float colors[particleCount * 4 * 4];
    unsigned short indices[particleCount * 6];
    int group[particleCount];               // per drawn particle: its entry in the texture lists below
    unsigned int groupTexture[particleCount + 1];
    const Sprite* groupSprite[particleCount + 1];
    int groupSize[particleCount + 1];
    int groupFirst[particleCount + 1];
    int drawn;
    int groups;
};

FountainBatch batch;

int groupFor(const Sprite* bound, int hint)
{
    const unsigned int id = bound->textureId;
    if (hint >= 0 && batch.groupTexture[hint] == id)
        return hint;
    for (int g = 0; g < batch.groups; ++g)
        if (batch.groupTexture[g] == id)
            return g;
    const int g = batch.groups++;
    batch.groupTexture[g] = id;
    batch.groupSprite[g] = bound;
    batch.groupSize[g] = 0;
    return g;
}

void record(const Particle& p, int group)
{
    const int n = batch.drawn++;
    batch.group[n] = group;
    ++batch.groupSize[group];
    const float x = p.position[0];
    const float y = p.position[1];
    const float z = baseDepth + p.position[2];
    const float corners[4][5] = {{x + 0.2f, y + 0.2f, z, 1, 1}, {x - 0.2f, y + 0.2f, z, 0, 1},
                                 {x + 0.2f, y - 0.2f, z, 1, 0}, {x - 0.2f, y - 0.2f, z, 0, 0}};
    const float a = particleOpacity(p.life);
    for (int k = 0; k < 4; ++k) {
        float* v = &batch.vertices[(n * 4 + k) * 3];
        v[0] = corners[k][0];
        v[1] = corners[k][1];
        v[2] = corners[k][2];
        float* c = &batch.texCoords[(n * 4 + k) * 2];
        c[0] = corners[k][3];
        c[1] = corners[k][4];
        float* rgba = &batch.colors[(n * 4 + k) * 4];
        rgba[0] = p.color[0];
        rgba[1] = p.color[1];
        rgba[2] = p.color[2];
        rgba[3] = a;
    }
}

// Draws the recorded squares one texture after another, each group in index order, one bind per group. The
// group of the texture the in-order path leaves bound goes last, so the same texture stays bound afterwards.
void drawRecorded(const Sprite* boundLast, const float* lastColor)
{
    const int lastGroup = groupFor(boundLast, -1);
    int first = 0;
    for (int g = 0; g < batch.groups; ++g) {
        if (g == lastGroup)
            continue;
        batch.groupFirst[g] = first;
        first += batch.groupSize[g] * 6;
    }
    batch.groupFirst[lastGroup] = first;
    // The two triangles a four-vertex strip is made of, in the strip's own vertex order.
    static const unsigned short strip[6] = {0, 1, 2, 2, 1, 3};
    for (int n = 0; n < batch.drawn; ++n) {
        int& at = batch.groupFirst[batch.group[n]];
        for (int k = 0; k < 6; ++k)
            batch.indices[at + k] = static_cast<unsigned short>(n * 4 + strip[k]);
        at += 6;
    }

    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glEnableClientState(GL_COLOR_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, batch.vertices);
    glTexCoordPointer(2, GL_FLOAT, 0, batch.texCoords);
    glColorPointer(4, GL_FLOAT, 0, batch.colors);
    auto drawGroup = [](int g) {
        const int count = batch.groupSize[g] * 6;
        batch.groupSprite[g]->bind();
        // groupFirst now points at the group's end.
        glDrawElements(GL_TRIANGLES, count, GL_UNSIGNED_SHORT, &batch.indices[batch.groupFirst[g] - count]);
    };
    for (int g = 0; g < batch.groups; ++g)
        if (g != lastGroup && batch.groupSize[g] > 0)
            drawGroup(g);
    drawGroup(lastGroup);
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glDisableClientState(GL_COLOR_ARRAY);
    // Drawing from a colour array leaves the current colour undefined; leave the last particle's, as the
    // strips do.
    glColor4fv(lastColor);
}

}  // namespace

bool fountainDrawsByTexture = true;

// Updates exactly as the in-order path does (same order, same draws, same rebirths) while recording each
// square before its particle moves, then draws the squares grouped by texture.
static void updateAndDrawGrouped(Sprite* texture, float t, float scale)
{
    batch.drawn = 0;
    batch.groups = 0;
    const Sprite* bound = texture;
    int group = -1;
    float lastColor[4] = {1, 1, 1, 1};
    bool any = false;
    for (Particle& p : particles) {
        if (p.alive != 1)
            continue;
        if (p.texture != texture)
            bound = p.texture;
        group = groupFor(bound, group);
        record(p, group);
        lastColor[0] = p.color[0];
        lastColor[1] = p.color[1];
        lastColor[2] = p.color[2];
        lastColor[3] = particleOpacity(p.life);
        any = true;
        advance(p, texture, t, scale);
    }
    if (any)
        drawRecorded(bound, lastColor);
    else
        texture->bind();
}

bool updateAndDrawFountain(Sprite* texture)
{
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glHint(GL_POINT_SMOOTH_HINT, GL_NICEST);
    glDisable(GL_LIGHTING);
    glEnable(GL_TEXTURE_2D);
    glPushMatrix();
    glLoadIdentity();

    const float t = frameDelta * ticksPerSecond;
    const float scale = speedDivisor * 1000.0f;
    if (fountainDrawsByTexture)
        updateAndDrawGrouped(texture, t, scale);
    else
        updateAndDrawInOrder(texture, t, scale);

    glPopMatrix();
    glEnable(GL_DEPTH_TEST);
    glDisable(GL_BLEND);
    return true;
}

bool resizeScratchBuffer(int count)
{
    if (scratchBuffer) {
        std::free(scratchBuffer);
        scratchBuffer = nullptr;
    }
    scratchCount = 0;
    if (count <= 0)
        return false;
    scratchBuffer = std::malloc(static_cast<size_t>(count) * 16);
    if (!scratchBuffer)
        return false;
    scratchCount = count;
    return true;
}
