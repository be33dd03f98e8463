// The OpenGL 1.1 layer's matrix stacks (model-view, projection, texture) and the calls on them. Vertices
// are taken to clip space on the CPU with the product of projection and model-view, so a matrix change never
// breaks a batch.
#include "platform/gl11/gl_state.h"

#include <cmath>
#include <cstring>

namespace {

const int stackDepth = 32;

struct Stack {
    float m[stackDepth][16];
    int top = 0;
};

Stack modelView, projection, textureStack;
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
    clipDirty = true;
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
    if (glListCapture(GlListOp::matrixMode, mode))
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
    if (glListCapture(GlListOp::loadIdentity))
        return;
    identity(top());
    clipDirty = true;
}

void glPushMatrix()
{
    if (glListCapture(GlListOp::pushMatrix))
        return;
    ensureReady();
    if (current->top + 1 >= stackDepth) {
        glStateError(GL_STACK_OVERFLOW);
        return;
    }
    std::memcpy(current->m[current->top + 1], current->m[current->top], 16 * sizeof(float));
    ++current->top;
}

void glPopMatrix()
{
    if (glListCapture(GlListOp::popMatrix))
        return;
    ensureReady();
    if (current->top == 0) {
        glStateError(GL_STACK_UNDERFLOW);
        return;
    }
    --current->top;
    clipDirty = true;
}

void glLoadMatrixf(const GLfloat* m)
{
    if (glListCaptureMatrix(GlListOp::loadMatrix, m))
        return;
    std::memcpy(top(), m, 16 * sizeof(float));
    clipDirty = true;
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
    if (glListCaptureMatrix(GlListOp::multMatrix, m))
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
    if (glListCapture(GlListOp::translate, 0, x, y, z))
        return;
    // Only the last column changes: m * T.
    float* m = top();
    for (int r = 0; r < 4; ++r)
        m[12 + r] += m[r] * x + m[4 + r] * y + m[8 + r] * z;
    clipDirty = true;
}

void glTranslated(GLdouble x, GLdouble y, GLdouble z)
{
    glTranslatef(static_cast<float>(x), static_cast<float>(y), static_cast<float>(z));
}

void glScalef(GLfloat x, GLfloat y, GLfloat z)
{
    if (glListCapture(GlListOp::scale, 0, x, y, z))
        return;
    float* m = top();
    for (int r = 0; r < 4; ++r) {
        m[r] *= x;
        m[4 + r] *= y;
        m[8 + r] *= z;
    }
    clipDirty = true;
}

void glScaled(GLdouble x, GLdouble y, GLdouble z)
{
    glScalef(static_cast<float>(x), static_cast<float>(y), static_cast<float>(z));
}

void glRotatef(GLfloat angle, GLfloat x, GLfloat y, GLfloat z)
{
    if (glListCapture(GlListOp::rotate, 0, angle, x, y, z))
        return;
    const float length = std::sqrt(x * x + y * y + z * z);
    if (length == 0)
        return;
    x /= length;
    y /= length;
    z /= length;
    const float radians = angle * 3.14159265358979323846f / 180.0f;
    const float c = std::cos(radians);
    const float s = std::sin(radians);
    const float k = 1 - c;
    const float r[16] = {x * x * k + c,     y * x * k + z * s, x * z * k - y * s, 0,
                         x * y * k - z * s, y * y * k + c,     y * z * k + x * s, 0,
                         x * z * k + y * s, y * z * k - x * s, z * z * k + c,     0,
                         0,                 0,                 0,                 1};
    multiplyTop(r);
}

void glRotated(GLdouble angle, GLdouble x, GLdouble y, GLdouble z)
{
    glRotatef(static_cast<float>(angle), static_cast<float>(x), static_cast<float>(y), static_cast<float>(z));
}

void glOrtho(GLdouble left, GLdouble right, GLdouble bottom, GLdouble top, GLdouble zNear, GLdouble zFar)
{
    if (left == right || bottom == top || zNear == zFar) {
        glStateError(GL_INVALID_VALUE);
        return;
    }
    double m[16] = {};
    m[0] = 2 / (right - left);
    m[5] = 2 / (top - bottom);
    m[10] = -2 / (zFar - zNear);
    m[12] = -(right + left) / (right - left);
    m[13] = -(top + bottom) / (top - bottom);
    m[14] = -(zFar + zNear) / (zFar - zNear);
    m[15] = 1;
    glMultMatrixd(m);
}

void glFrustum(GLdouble left, GLdouble right, GLdouble bottom, GLdouble top, GLdouble zNear, GLdouble zFar)
{
    if (zNear <= 0 || zFar <= 0 || left == right || bottom == top || zNear == zFar) {
        glStateError(GL_INVALID_VALUE);
        return;
    }
    double m[16] = {};
    m[0] = 2 * zNear / (right - left);
    m[5] = 2 * zNear / (top - bottom);
    m[8] = (right + left) / (right - left);
    m[9] = (top + bottom) / (top - bottom);
    m[10] = -(zFar + zNear) / (zFar - zNear);
    m[11] = -1;
    m[14] = -2 * zFar * zNear / (zFar - zNear);
    glMultMatrixd(m);
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
    clipDirty = true;
}
