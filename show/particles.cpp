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

bool updateAndDrawFountain(Sprite* texture)
{
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glHint(GL_POINT_SMOOTH_HINT, GL_NICEST);
    glDisable(GL_LIGHTING);
    glEnable(GL_TEXTURE_2D);
    texture->bind();
    glPushMatrix();
    glLoadIdentity();

    const float t = frameDelta * ticksPerSecond;
    const float scale = speedDivisor * 1000.0f;
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

        for (int i = 0; i < 3; ++i)
            p.position[i] += p.velocity[i] / scale * t;
        p.life -= p.fadeRate * t;
        if (p.life < 0.0f) {
            p.life = 2.0f;
            spawn(p);
            p.texture = texture;
        }
    }

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
