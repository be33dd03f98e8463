// SPDX-License-Identifier: MIT
// The OpenGL 1.1 layer's matrix stacks (model-view, projection, texture) and the calls on them. Vertices
// are taken to clip space on the CPU with the product of projection and model-view, so a matrix change never
// breaks a batch.
#include "platform/gl11/gl_state.h"

#include <array>
#include <cmath>
#include <cstring>

namespace {

const int stackDepth = 32;

struct Stack {
    float m[stackDepth][16];
    int top = 0;
    int depth;   // GL_MAX_*_STACK_DEPTH: Mesa's 32, 32 and 10
};

Stack modelView{{}, 0, 32}, projection{{}, 0, 32}, textureStack{{}, 0, 10};
float normalMatrix[9];
bool normalDirty = true;
Stack* current = &modelView;
GLenum currentMode = GL_MODELVIEW;
float clip[16];
bool clipDirty = true;
bool stacksReady = false;

void identity(float* m)
{
    std::memset(m, 0, 16 * sizeof(float));
    m[0] = m[5] = m[10] = m[15] = 1;
}

void ensureReady()
{
    if (stacksReady)
        return;
    identity(modelView.m[0]);
    identity(projection.m[0]);
    identity(textureStack.m[0]);
    stacksReady = true;
}

// A matrix changed: Mesa flushes its collected vertices on that.
void changed()
{
    clipDirty = normalDirty = true;
    glImmediateFlush();
    glVerticesFlushed();
}

float* top()
{
    ensureReady();
    return current->m[current->top];
}

// out = a * b, column-major; out may not alias a or b.
void multiply(const float* a, const float* b, float* out)
{
    for (int c = 0; c < 4; ++c)
        for (int r = 0; r < 4; ++r)
            out[c * 4 + r] = a[r] * b[c * 4] + a[4 + r] * b[c * 4 + 1] + a[8 + r] * b[c * 4 + 2] +
                             a[12 + r] * b[c * 4 + 3];
}

void multiplyTop(const float* n)
{
    float* m = top();
    float product[16];
    multiply(m, n, product);
    std::memcpy(m, product, sizeof product);
    changed();
}

std::array<float, 16> copy16(const float* m)
{
    std::array<float, 16> c;
    std::memcpy(c.data(), m, sizeof(float) * 16);
    return c;
}

}  // namespace

const float* glClipMatrix()
{
    ensureReady();
    if (clipDirty) {
        multiply(projection.m[projection.top], modelView.m[modelView.top], clip);
        clipDirty = false;
    }
    return clip;
}

void glTransformToClip(float x, float y, float z, float w, float out[4])
{
    const float* m = glClipMatrix();
    for (int r = 0; r < 4; ++r)
        out[r] = m[r] * x + m[4 + r] * y + m[8 + r] * z + m[12 + r] * w;
}

void glMatrixMode(GLenum mode)
{
    if (glListRecord(GlListCall::outside, [mode] { glMatrixMode(mode); }) || glRefusedInsideBegin())
        return;
    switch (mode) {
    case GL_MODELVIEW: current = &modelView; break;
    case GL_PROJECTION: current = &projection; break;
    case GL_TEXTURE: current = &textureStack; break;
    default: glStateError(GL_INVALID_ENUM); return;
    }
    currentMode = mode;
}

void glLoadIdentity()
{
    if (glListRecord(GlListCall::outside, [] { glLoadIdentity(); }) || glRefusedInsideBegin())
        return;
    identity(top());
    changed();
}

void glPushMatrix()
{
    if (glListRecord(GlListCall::outside, [] { glPushMatrix(); }) || glRefusedInsideBegin())
        return;
    ensureReady();
    if (current->top + 1 >= current->depth) {
        glStateError(GL_STACK_OVERFLOW);
        return;
    }
    std::memcpy(current->m[current->top + 1], current->m[current->top], 16 * sizeof(float));
    ++current->top;
    glImmediateFlush();
    glVerticesFlushed();
}

void glPopMatrix()
{
    if (glListRecord(GlListCall::outside, [] { glPopMatrix(); }) || glRefusedInsideBegin())
        return;
    ensureReady();
    if (current->top == 0) {
        glStateError(GL_STACK_UNDERFLOW);
        return;
    }
    --current->top;
    changed();
}

void glLoadMatrixf(const GLfloat* m)
{
    if (glListRecord(GlListCall::outside, [c = copy16(m)] { glLoadMatrixf(c.data()); }) || glRefusedInsideBegin())
        return;
    std::memcpy(top(), m, 16 * sizeof(float));
    changed();
}

void glLoadMatrixd(const GLdouble* m)
{
    float f[16];
    for (int i = 0; i < 16; ++i)
        f[i] = static_cast<float>(m[i]);
    glLoadMatrixf(f);
}

void glMultMatrixf(const GLfloat* m)
{
    if (glListRecord(GlListCall::outside, [c = copy16(m)] { glMultMatrixf(c.data()); }) || glRefusedInsideBegin())
        return;
    multiplyTop(m);
}

void glMultMatrixd(const GLdouble* m)
{
    float f[16];
    for (int i = 0; i < 16; ++i)
        f[i] = static_cast<float>(m[i]);
    glMultMatrixf(f);
}

void glTranslatef(GLfloat x, GLfloat y, GLfloat z)
{
    if (glListRecord(GlListCall::outside, [=] { glTranslatef(x, y, z); }) || glRefusedInsideBegin())
        return;
    // Only the last column changes: m * T.
    float* m = top();
    for (int r = 0; r < 4; ++r)
        m[12 + r] += m[r] * x + m[4 + r] * y + m[8 + r] * z;
    changed();
}

void glTranslated(GLdouble x, GLdouble y, GLdouble z)
{
    glTranslatef(static_cast<float>(x), static_cast<float>(y), static_cast<float>(z));
}

void glScalef(GLfloat x, GLfloat y, GLfloat z)
{
    if (glListRecord(GlListCall::outside, [=] { glScalef(x, y, z); }) || glRefusedInsideBegin())
        return;
    float* m = top();
    for (int r = 0; r < 4; ++r) {
        m[r] *= x;
        m[4 + r] *= y;
        m[8 + r] *= z;
    }
    changed();
}

void glScaled(GLdouble x, GLdouble y, GLdouble z)
{
    glScalef(static_cast<float>(x), static_cast<float>(y), static_cast<float>(z));
}

void glRotatef(GLfloat angle, GLfloat x, GLfloat y, GLfloat z)
{
    if (glListRecord(GlListCall::outside, [=] { glRotatef(angle, x, y, z); }) || glRefusedInsideBegin())
        return;
    // Mesa's arithmetic, step for step: the angle in double, the axis rotations exact, so that both round alike.
    const float s = std::sin(static_cast<float>(angle * 3.14159265358979323846 / 180.0));
    const float c = std::cos(static_cast<float>(angle * 3.14159265358979323846 / 180.0));
    float r[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    if (x == 0 && y == 0 && z != 0) {
        r[0] = r[5] = c;
        r[4] = z < 0 ? s : -s;
        r[1] = -r[4];
    } else if (x == 0 && z == 0 && y != 0) {
        r[0] = r[10] = c;
        r[8] = y < 0 ? -s : s;
        r[2] = -r[8];
    } else if (y == 0 && z == 0 && x != 0) {
        r[5] = r[10] = c;
        r[9] = x < 0 ? s : -s;
        r[6] = -r[9];
    } else {
        const float length = std::sqrt(x * x + y * y + z * z);
        if (length <= 1.0e-4f)
            return;
        x /= length;
        y /= length;
        z /= length;
        const float k = 1 - c;
        r[0] = k * (x * x) + c;
        r[4] = k * (x * y) - z * s;
        r[8] = k * (z * x) + y * s;
        r[1] = k * (x * y) + z * s;
        r[5] = k * (y * y) + c;
        r[9] = k * (y * z) - x * s;
        r[2] = k * (z * x) - y * s;
        r[6] = k * (y * z) + x * s;
        r[10] = k * (z * z) + c;
    }
    multiplyTop(r);
}

void glRotated(GLdouble angle, GLdouble x, GLdouble y, GLdouble z)
{
    glRotatef(static_cast<float>(angle), static_cast<float>(x), static_cast<float>(y), static_cast<float>(z));
}

void glOrtho(GLdouble left, GLdouble right, GLdouble bottom, GLdouble top, GLdouble zNear, GLdouble zFar)
{
    if (glListRecord(GlListCall::outside, [=] { glOrtho(left, right, bottom, top, zNear, zFar); }) ||
        glRefusedInsideBegin())
        return;
    if (left == right || bottom == top || zNear == zFar) {
        glStateError(GL_INVALID_VALUE);
        return;
    }
    // In float, as Mesa computes it, so that both round alike.
    const float l = static_cast<float>(left), r = static_cast<float>(right), b = static_cast<float>(bottom),
                t = static_cast<float>(top), n = static_cast<float>(zNear), f = static_cast<float>(zFar);
    float m[16] = {};
    m[0] = 2.0f / (r - l);
    m[5] = 2.0f / (t - b);
    m[10] = -2.0f / (f - n);
    m[12] = -(r + l) / (r - l);
    m[13] = -(t + b) / (t - b);
    m[14] = -(f + n) / (f - n);
    m[15] = 1;
    multiplyTop(m);
}

void glFrustum(GLdouble left, GLdouble right, GLdouble bottom, GLdouble top, GLdouble zNear, GLdouble zFar)
{
    if (glListRecord(GlListCall::outside, [=] { glFrustum(left, right, bottom, top, zNear, zFar); }) ||
        glRefusedInsideBegin())
        return;
    if (zNear <= 0 || zFar <= 0 || left == right || bottom == top || zNear == zFar) {
        glStateError(GL_INVALID_VALUE);
        return;
    }
    const float l = static_cast<float>(left), r = static_cast<float>(right), b = static_cast<float>(bottom),
                t = static_cast<float>(top), n = static_cast<float>(zNear), f = static_cast<float>(zFar);
    float m[16] = {};
    m[0] = (2.0f * n) / (r - l);
    m[5] = (2.0f * n) / (t - b);
    m[8] = (r + l) / (r - l);
    m[9] = (t + b) / (t - b);
    m[10] = -(f + n) / (f - n);
    m[11] = -1;
    m[14] = -(2.0f * f * n) / (f - n);
    multiplyTop(m);
}

void glTransformToEye(float x, float y, float z, float w, float out[4])
{
    ensureReady();
    const float* m = modelView.m[modelView.top];
    for (int r = 0; r < 4; ++r)
        out[r] = m[r] * x + m[4 + r] * y + m[8 + r] * z + m[12 + r] * w;
}

// The determinant of the 3 x 3 a column-major 4 x 4 matrix leaves without one row and one column.
static float minor3(const float* m, int row, int col)
{
    float a[9];
    int n = 0;
    for (int c = 0; c < 4; ++c)
        for (int r = 0; r < 4; ++r)
            if (r != row && c != col)
                a[n++] = m[c * 4 + r];
    return a[0] * (a[4] * a[8] - a[7] * a[5]) - a[3] * (a[1] * a[8] - a[7] * a[2]) + a[6] * (a[1] * a[5] - a[4] * a[2]);
}

// The upper 3 x 3 of the inverse of a column-major 4 x 4 matrix, transposed (normalMatrix[col * 3 + row]), through
// cofactors; false when the matrix is singular.
static bool inverseTransposeUpper3(const float* m, float* out)
{
    float det = 0;
    for (int c = 0; c < 4; ++c)
        det += ((c % 2) ? -1.0f : 1.0f) * m[c * 4] * minor3(m, 0, c);
    if (det == 0 || !std::isfinite(det))
        return false;
    // inverse(r, c) = cofactor(c, r) / det; its transpose at (c, r) is stored at out[r * 3 + c].
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            out[r * 3 + c] = (((r + c) % 2) ? -1.0f : 1.0f) * minor3(m, c, r) / det;
    return true;
}

const float* glNormalMatrix()
{
    ensureReady();
    if (normalDirty) {
        // The inverse transpose of the upper 3 x 3 through cofactors; a singular matrix leaves normals as they
        // are, as Mesa does when it cannot invert. A projective modelview (a frustum multiplied into it) is
        // inverted whole, as Mesa does, and the normals take the upper 3 x 3 of that inverse.
        const float* m = modelView.m[modelView.top];
        if (m[3] != 0 || m[7] != 0 || m[11] != 0 || m[15] != 1) {
            if (!inverseTransposeUpper3(m, normalMatrix))
                for (int k = 0; k < 9; ++k)
                    normalMatrix[k] = k % 4 == 0 ? 1.0f : 0.0f;
            normalDirty = false;
            return normalMatrix;
        }
        const float a = m[0], b = m[4], c = m[8], d = m[1], e = m[5], f = m[9], g = m[2], h = m[6], i = m[10];
        const float co[9] = {e * i - f * h, -(d * i - f * g), d * h - e * g,
                             -(b * i - c * h), a * i - c * g, -(a * h - b * g),
                             b * f - c * e, -(a * f - c * d), a * e - b * d};
        const float det = a * co[0] + b * co[1] + c * co[2];
        // Column-major: normalMatrix[col * 3 + row] = inverse(m)[col][row] transposed = co[row][col] / det.
        for (int r = 0; r < 3; ++r)
            for (int k = 0; k < 3; ++k)
                normalMatrix[k * 3 + r] = det != 0 ? co[r * 3 + k] / det : (r == k ? 1.0f : 0.0f);
        normalDirty = false;
    }
    return normalMatrix;
}

bool glTransformTexCoord(const float in[4], float out[4])
{
    ensureReady();
    const float* m = textureStack.m[textureStack.top];
    static const float unit[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    if (std::memcmp(m, unit, sizeof unit) == 0)
        return false;
    for (int r = 0; r < 4; ++r)
        out[r] = m[r] * in[0] + m[4 + r] * in[1] + m[8 + r] * in[2] + m[12 + r] * in[3];
    return true;
}

int glMatrixDepth(GLenum stack)
{
    const Stack& s = stack == GL_PROJECTION_STACK_DEPTH ? projection
                     : stack == GL_TEXTURE_STACK_DEPTH  ? textureStack
                                                        : modelView;
    return s.top + 1;
}

// The matrix queries glGetIntegerv and glGetFloatv answer from here.
GLenum glMatrixModeNow()
{
    return currentMode;
}

void glMatrixRead(GLenum which, float* out)
{
    ensureReady();
    const Stack& s = which == GL_PROJECTION_MATRIX ? projection
                     : which == GL_TEXTURE_MATRIX  ? textureStack
                                                   : modelView;
    std::memcpy(out, s.m[s.top], 16 * sizeof(float));
}

void glMatrixReset()
{
    stacksReady = false;
    current = &modelView;
    currentMode = GL_MODELVIEW;
    modelView.top = projection.top = textureStack.top = 0;
    changed();
}
