// SPDX-License-Identifier: MIT
// The scene effects, drawn in immediate mode from one static vertex table into the window's perspective.
#include "show/effects.h"

#include "app/main.h"
#include "media/sprite.h"
#include "platform/win32_api.h"
#include "show/content_set.h"
#include "show/random.h"

#include <GL/gl.h>

const CubeVertex CubeVertices[24] = {
    // front (z = +1)
    {0, 0, -1, -1, 1}, {1, 0, 1, -1, 1}, {1, 1, 1, 1, 1}, {0, 1, -1, 1, 1},
    // back (z = -1)
    {1, 0, -1, -1, -1}, {1, 1, -1, 1, -1}, {0, 1, 1, 1, -1}, {0, 0, 1, -1, -1},
    // top (y = +1)
    {0, 1, -1, 1, -1}, {0, 0, -1, 1, 1}, {1, 0, 1, 1, 1}, {1, 1, 1, 1, -1},
    // bottom (y = -1)
    {1, 1, -1, -1, -1}, {0, 1, 1, -1, -1}, {0, 0, 1, -1, 1}, {1, 0, -1, -1, 1},
    // right (x = +1)
    {1, 0, 1, -1, -1}, {1, 1, 1, 1, -1}, {0, 1, 1, 1, 1}, {0, 0, 1, -1, 1},
    // left (x = -1)
    {0, 0, -1, -1, -1}, {1, 0, -1, -1, 1}, {1, 1, -1, 1, 1}, {0, 1, -1, 1, -1},
};

float spinAngles[spinAngleCount];
float fieldOffsetX[fieldQuadCount];
float fieldOffsetY[fieldQuadCount];
int tileStep = 48;
int tileIndex = 0;
float tileDepth = 0.0f;

static void drawRows(int count)
{
    glBegin(GL_QUADS);
    for (int i = 0; i < count; ++i) {
        const CubeVertex& v = CubeVertices[i];
        glTexCoord2f(v.s, v.t);
        glVertex3f(v.x, v.y, v.z);
    }
    glEnd();
}

void drawCube()
{
    drawRows(24);
}

void drawFrontFace()
{
    drawRows(4);
}

// Angles wrap only once they pass 360; exactly 360 stays.
static void wrapAngle(float& angle)
{
    if (angle > 360.0f)
        angle -= 360.0f;
}

void drawFadeQuad(float red, float green, float blue, float alpha)
{
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glLoadIdentity();
    glTranslatef(0.0f, 0.0f, -1.0f);
    glColor4f(red / 255.0f, green / 255.0f, blue / 255.0f, alpha);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_LIGHTING);
    glEnable(GL_BLEND);
    glBegin(GL_QUADS);
    glVertex3f(-1.0f, -1.0f, 0.0f);
    glVertex3f(1.0f, -1.0f, 0.0f);
    glVertex3f(1.0f, 1.0f, 0.0f);
    glVertex3f(-1.0f, 1.0f, 0.0f);
    glEnd();
    glEnable(GL_LIGHTING);
    glDisable(GL_BLEND);
    glEnable(GL_DEPTH_TEST);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
}

void beginTexturedScene(unsigned int destinationFactor)
{
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    glBlendFunc(GL_SRC_ALPHA, destinationFactor);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glDisable(GL_LIGHTING);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
}

void drawCubeRows(int step)
{
    beginTexturedScene(GL_ONE);
    glColor4f(0.5f, 0.5f, 0.5f, 0.5f);
    boxTexture.bind();
    glMatrixMode(GL_MODELVIEW);
    const int offsets[2] = {0, step};
    const int depths[3] = {-15, -11, -7};
    for (int i = 0; i < 2; ++i) {
        for (int j = 0; j < 2; ++j) {
            for (int m = 0; m < 3; ++m) {
                float& angle = spinAngles[6 * i + 3 * j + m];
                angle += static_cast<float>(nextRandom() % 10);
                wrapAngle(angle);
                glPushMatrix();
                glTranslatef(static_cast<float>(offsets[i]), static_cast<float>(offsets[j]),
                             static_cast<float>(depths[m]));
                glRotatef(angle, 1.0f, 1.0f, 0.0f);
                drawCube();
                glPopMatrix();
            }
        }
    }
}

void drawCubeGrid()
{
    glClear(GL_DEPTH_BUFFER_BIT);
    alfaSprite.blitFullWindow(currentWindow);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glEnable(GL_CULL_FACE);
    glDisable(GL_LIGHTING);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glColor4f(0.5f, 0.5f, 0.5f, 0.5f);
    boxTexture.bind();
    glMatrixMode(GL_MODELVIEW);
    for (int x = 0; x >= -3; --x) {
        for (int y = 0; y >= -3; --y) {
            float& angle = spinAngles[4 * -x + -y];
            angle += frameDelta * 100.0f;
            wrapAngle(angle);
            glPushMatrix();
            glTranslatef(static_cast<float>(x), static_cast<float>(y), -8.0f);
            glRotatef(angle, 1.0f, 0.0f, 1.0f);
            glRotatef(angle, 0.0f, 1.0f, 0.0f);
            drawCube();
            glPopMatrix();
        }
    }
}

void drawTileOverlay(int position, int base)
{
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glColor4f(1.0f, 0.6f, 0.5f, 1.0f);
    if (position > base + tileStep) {
        tileStep += 48;
        tileIndex += 1;
        if (tileIndex > 5) {
            tileIndex = 0;
            tileStep = 48;
        }
        tileDepth = frameDelta * 10.0f;
    } else {
        tileDepth += frameDelta * 10.0f;
    }
    if (tileDepth > 40.0f)
        tileDepth = 40.0f;
    gTiles[tileIndex].bind();
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glTranslatef(0.0f, 0.0f, tileDepth - 20.0f);
    drawFrontFace();
    glPopMatrix();
}

void fillFieldOffsets()
{
    for (int k = 0; k < 12; ++k) {
        fieldOffsetX[k] = static_cast<float>(nextRandom() % 10 - 5);
        fieldOffsetY[k] = static_cast<float>(nextRandom() % 10 - 5);
    }
}

void resetSpinAngles()
{
    for (float& angle : spinAngles)
        angle = 0.0f;
}

void drawQuadField(float depth)
{
    glColor4f(0.5f, 0.5f, 0.5f, 0.5f);
    brodicSprite.bind();
    glMatrixMode(GL_MODELVIEW);
    // Nine groups of five; the group counters only count, the offsets and depths place the quads.
    int k = 0;
    for (int row = 0; row < 3; ++row) {
        for (int column = 0; column < 3; ++column) {
            for (int d = 0; d <= 16; d += 4) {
                glPushMatrix();
                glTranslatef(fieldOffsetX[k], fieldOffsetY[k], static_cast<float>(d) - depth);
                drawFrontFace();
                glPopMatrix();
                ++k;
            }
        }
    }
}

void drawDepthQuad(float z)
{
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    zemlja2Sprite.bind();
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glTranslatef(0.0f, 0.0f, z);
    drawFrontFace();
    glPopMatrix();
}

JitteredPosition jitterPosition(int x, int y)
{
    const int a = nextRandom();
    const int b = nextRandom();
    return {x + b % 8, y + a % 4};
}

// Truncates toward zero; values beyond the int range (a base that kept drifting) stop at its ends instead of
// overflowing.
static int truncateToInt(float value)
{
    if (!(value > -2147483648.0f))
        return value != value ? 0 : -2147483647 - 1;
    if (value >= 2147483648.0f)
        return 2147483647;
    return static_cast<int>(value);
}

JitteredPosition jitterPosition(float x, float y)
{
    const int a = nextRandom();
    const int b = nextRandom();
    return {truncateToInt(x + static_cast<float>(b % 8)), truncateToInt(y + static_cast<float>(a % 4))};
}
