// The OpenGL 1.1 layer's primitive assembly: glBegin/glEnd with the current colour and texture coordinate,
// client arrays with glDrawArrays/glDrawElements, all cut into independent triangles, lines or points for the
// batch. Quads split as Mesa splits them (0 1 2, 0 2 3); in flat shading every vertex of a primitive takes the
// colour of its provoking vertex, the last one (the first for GL_POLYGON).
#include "platform/gl11/gl_state.h"

#include <cstdint>

namespace {

GLenum mode = 0;
bool inside = false;
int count = 0;
GlVertex held[4];
GlVertex first;

// With lighting on and no light enabled (the program enables none), a vertex takes the scene's ambient light
// on the default material: 0.2 * 0.2 in colour, the diffuse alpha 1.
const float litColor[4] = {0.04f, 0.04f, 0.04f, 1.0f};

float channel(float v)
{
    return v < 0 ? 0 : v > 1 ? 1 : v;
}

GlVertex makeVertex(float x, float y, float z, float w, const float* rgba, const float* st)
{
    GlVertex v;
    float c[4];
    glTransformToClip(x, y, z, w, c);
    v.x = c[0];
    v.y = c[1];
    v.z = c[2];
    v.w = c[3];
    v.s = st[0];
    v.t = st[1];
    const float* colour = glState.lighting ? litColor : rgba;
    v.r = channel(colour[0]);
    v.g = channel(colour[1]);
    v.b = channel(colour[2]);
    v.a = channel(colour[3]);
    return v;
}

void takeColour(GlVertex* v, int n, const GlVertex& provoking)
{
    if (glState.shadeModel != GL_FLAT)
        return;
    for (int i = 0; i < n; ++i) {
        v[i].r = provoking.r;
        v[i].g = provoking.g;
        v[i].b = provoking.b;
        v[i].a = provoking.a;
    }
}

void triangle(const GlVertex& a, const GlVertex& b, const GlVertex& c, const GlVertex& provoking)
{
    GlVertex* v = glBatchReserve(GlPrimitive::triangles, 3);
    if (!v)
        return;
    v[0] = a;
    v[1] = b;
    v[2] = c;
    takeColour(v, 3, provoking);
}

void line(const GlVertex& a, const GlVertex& b, const GlVertex& provoking)
{
    GlVertex* v = glBatchReserve(GlPrimitive::lines, 2);
    if (!v)
        return;
    v[0] = a;
    v[1] = b;
    takeColour(v, 2, provoking);
}

void point(const GlVertex& a)
{
    GlVertex* v = glBatchReserve(GlPrimitive::points, 1);
    if (v)
        v[0] = a;
}

bool validMode(GLenum m)
{
    return m <= GL_POLYGON;   // GL_POINTS (0) to GL_POLYGON (9)
}

void startPrimitive(GLenum m)
{
    mode = m;
    count = 0;
}

void addVertex(const GlVertex& v)
{
    const int n = count++;
    switch (mode) {
    case GL_POINTS:
        point(v);
        break;
    case GL_LINES:
        if (n % 2 == 1)
            line(held[0], v, v);
        else
            held[0] = v;
        break;
    case GL_LINE_STRIP:
    case GL_LINE_LOOP:
        if (n == 0)
            first = v;
        else
            line(held[0], v, v);
        held[0] = v;
        break;
    case GL_TRIANGLES:
        held[n % 3] = v;
        if (n % 3 == 2)
            triangle(held[0], held[1], held[2], held[2]);
        break;
    case GL_QUADS:
        held[n % 4] = v;
        if (n % 4 == 3) {
            triangle(held[0], held[1], held[2], held[3]);
            triangle(held[0], held[2], held[3], held[3]);
        }
        break;
    case GL_TRIANGLE_STRIP:
        if (n >= 2) {
            // Every second triangle swaps its first two vertices, so all keep the strip's winding.
            if (n % 2 == 0)
                triangle(held[0], held[1], v, v);
            else
                triangle(held[1], held[0], v, v);
            held[0] = held[1];
            held[1] = v;
        } else {
            held[n] = v;
        }
        break;
    case GL_TRIANGLE_FAN:
    case GL_POLYGON:
        if (n == 0) {
            first = v;
        } else if (n >= 2) {
            triangle(first, held[1], v, mode == GL_POLYGON ? first : v);
        }
        held[1] = v;
        break;
    case GL_QUAD_STRIP:
        if (n < 3) {
            held[n] = v;
        } else if (n % 2 == 0) {
            held[2] = v;
        } else {
            // Vertices 2k, 2k+1, 2k+3, 2k+2 bound quad k.
            triangle(held[2], held[0], v, v);
            triangle(held[0], held[1], v, v);
            held[0] = held[2];
            held[1] = v;
        }
        break;
    default:
        break;
    }
}

void endPrimitive()
{
    if (mode == GL_LINE_LOOP && count >= 2)
        line(held[0], first, first);
}

}  // namespace

void glAssembleVertex(float x, float y, float z, float w)
{
    if (!inside)
        return;   // vertices outside glBegin/glEnd draw nothing
    addVertex(makeVertex(x, y, z, w, glState.color, glState.texCoord));
}

void glBegin(GLenum m)
{
    if (glListCapture(GlListOp::begin, m))
        return;
    if (inside) {
        glStateError(GL_INVALID_OPERATION);
        return;
    }
    if (!validMode(m)) {
        glStateError(GL_INVALID_ENUM);
        return;
    }
    inside = true;
    startPrimitive(m);
}

void glEnd()
{
    if (glListCapture(GlListOp::end))
        return;
    if (!inside) {
        glStateError(GL_INVALID_OPERATION);
        return;
    }
    endPrimitive();
    inside = false;
}

bool glInsideBegin()
{
    return inside;
}

void glVertex4f(GLfloat x, GLfloat y, GLfloat z, GLfloat w)
{
    if (glListCapture(GlListOp::vertex, 0, x, y, z, w))
        return;
    glAssembleVertex(x, y, z, w);
}

void glVertex2i(GLint x, GLint y) { glVertex4f(static_cast<float>(x), static_cast<float>(y), 0, 1); }
void glVertex2f(GLfloat x, GLfloat y) { glVertex4f(x, y, 0, 1); }
void glVertex2d(GLdouble x, GLdouble y) { glVertex4f(static_cast<float>(x), static_cast<float>(y), 0, 1); }
void glVertex3i(GLint x, GLint y, GLint z)
{
    glVertex4f(static_cast<float>(x), static_cast<float>(y), static_cast<float>(z), 1);
}
void glVertex3f(GLfloat x, GLfloat y, GLfloat z) { glVertex4f(x, y, z, 1); }
void glVertex3d(GLdouble x, GLdouble y, GLdouble z)
{
    glVertex4f(static_cast<float>(x), static_cast<float>(y), static_cast<float>(z), 1);
}
void glVertex2fv(const GLfloat* v) { glVertex4f(v[0], v[1], 0, 1); }
void glVertex3fv(const GLfloat* v) { glVertex4f(v[0], v[1], v[2], 1); }

void glTexCoord2f(GLfloat s, GLfloat t)
{
    if (glListCapture(GlListOp::texCoord, 0, s, t))
        return;
    glState.texCoord[0] = s;
    glState.texCoord[1] = t;
}

void glTexCoord2d(GLdouble s, GLdouble t) { glTexCoord2f(static_cast<float>(s), static_cast<float>(t)); }
void glTexCoord2i(GLint s, GLint t) { glTexCoord2f(static_cast<float>(s), static_cast<float>(t)); }
void glTexCoord2fv(const GLfloat* v) { glTexCoord2f(v[0], v[1]); }

void glColor4f(GLfloat r, GLfloat g, GLfloat b, GLfloat a)
{
    if (glListCapture(GlListOp::color, 0, r, g, b, a))
        return;
    glState.color[0] = r;
    glState.color[1] = g;
    glState.color[2] = b;
    glState.color[3] = a;
}

void glColor3f(GLfloat r, GLfloat g, GLfloat b) { glColor4f(r, g, b, 1); }
void glColor4fv(const GLfloat* v) { glColor4f(v[0], v[1], v[2], v[3]); }
void glColor3fv(const GLfloat* v) { glColor4f(v[0], v[1], v[2], 1); }
void glColor4d(GLdouble r, GLdouble g, GLdouble b, GLdouble a)
{
    glColor4f(static_cast<float>(r), static_cast<float>(g), static_cast<float>(b), static_cast<float>(a));
}
void glColor3d(GLdouble r, GLdouble g, GLdouble b) { glColor4d(r, g, b, 1); }
void glColor4ub(GLubyte r, GLubyte g, GLubyte b, GLubyte a)
{
    glColor4f(r / 255.0f, g / 255.0f, b / 255.0f, a / 255.0f);
}
void glColor3ub(GLubyte r, GLubyte g, GLubyte b) { glColor4ub(r, g, b, 255); }

// ---- Client arrays. Only what GL 1.1 programs commonly pass: float, double, int and short coordinates,
// float and unsigned-byte colours.
namespace {

struct ClientArray {
    bool enabled = false;
    GLint size = 4;
    GLenum type = GL_FLOAT;
    GLsizei stride = 0;
    const void* pointer = nullptr;
};
ClientArray vertexArray, texCoordArray, colorArray;

int typeSize(GLenum type)
{
    switch (type) {
    case GL_UNSIGNED_BYTE: return 1;
    case GL_SHORT: return 2;
    case GL_INT:
    case GL_FLOAT: return 4;
    case GL_DOUBLE: return 8;
    default: return 0;
    }
}

void fetch(const ClientArray& array, int index, float* out)
{
    const int stride = array.stride ? array.stride : array.size * typeSize(array.type);
    const unsigned char* at = static_cast<const unsigned char*>(array.pointer) + static_cast<std::intptr_t>(index) * stride;
    for (int i = 0; i < array.size; ++i) {
        switch (array.type) {
        case GL_FLOAT: out[i] = reinterpret_cast<const float*>(at)[i]; break;
        case GL_DOUBLE: out[i] = static_cast<float>(reinterpret_cast<const double*>(at)[i]); break;
        case GL_INT: out[i] = static_cast<float>(reinterpret_cast<const int*>(at)[i]); break;
        case GL_SHORT: out[i] = static_cast<float>(reinterpret_cast<const short*>(at)[i]); break;
        case GL_UNSIGNED_BYTE: out[i] = at[i] / 255.0f; break;
        default: out[i] = 0; break;
        }
    }
}

void arrayElement(int index)
{
    float position[4] = {0, 0, 0, 1};
    fetch(vertexArray, index, position);
    const float* st = glState.texCoord;
    float texCoord[4] = {0, 0, 0, 1};
    if (texCoordArray.enabled) {
        fetch(texCoordArray, index, texCoord);
        st = texCoord;
    }
    const float* rgba = glState.color;
    float colour[4] = {0, 0, 0, 1};
    if (colorArray.enabled) {
        fetch(colorArray, index, colour);
        rgba = colour;
    }
    addVertex(makeVertex(position[0], position[1], position[2], position[3], rgba, st));
}

ClientArray* arrayFor(GLenum array)
{
    switch (array) {
    case GL_VERTEX_ARRAY: return &vertexArray;
    case GL_TEXTURE_COORD_ARRAY: return &texCoordArray;
    case GL_COLOR_ARRAY: return &colorArray;
    default: return nullptr;
    }
}

void setPointer(ClientArray& array, GLint size, GLenum type, GLsizei stride, const void* pointer, int minSize)
{
    if (size < minSize || size > 4 || stride < 0) {
        glStateError(GL_INVALID_VALUE);
        return;
    }
    if (typeSize(type) == 0 || (type == GL_UNSIGNED_BYTE && &array != &colorArray)) {
        glStateError(GL_INVALID_ENUM);
        return;
    }
    array.size = size;
    array.type = type;
    array.stride = stride;
    array.pointer = pointer;
}

bool canDrawArrays(GLenum m, GLsizei n)
{
    if (!validMode(m)) {
        glStateError(GL_INVALID_ENUM);
        return false;
    }
    if (n < 0) {
        glStateError(GL_INVALID_VALUE);
        return false;
    }
    if (inside) {
        glStateError(GL_INVALID_OPERATION);
        return false;
    }
    return vertexArray.enabled && vertexArray.pointer;
}

}  // namespace

void glEnableClientState(GLenum array)
{
    if (ClientArray* a = arrayFor(array))
        a->enabled = true;
    else if (array != GL_NORMAL_ARRAY && array != GL_INDEX_ARRAY && array != GL_EDGE_FLAG_ARRAY)
        glStateError(GL_INVALID_ENUM);
}

void glDisableClientState(GLenum array)
{
    if (ClientArray* a = arrayFor(array))
        a->enabled = false;
}

void glVertexPointer(GLint size, GLenum type, GLsizei stride, const GLvoid* pointer)
{
    setPointer(vertexArray, size, type, stride, pointer, 2);
}

void glTexCoordPointer(GLint size, GLenum type, GLsizei stride, const GLvoid* pointer)
{
    setPointer(texCoordArray, size, type, stride, pointer, 1);
}

void glColorPointer(GLint size, GLenum type, GLsizei stride, const GLvoid* pointer)
{
    setPointer(colorArray, size, type, stride, pointer, 3);
}

void glDrawArrays(GLenum m, GLint firstIndex, GLsizei n)
{
    if (!canDrawArrays(m, n) || firstIndex < 0)
        return;
    startPrimitive(m);
    for (GLsizei i = 0; i < n; ++i)
        arrayElement(firstIndex + i);
    endPrimitive();
}

void glDrawElements(GLenum m, GLsizei n, GLenum type, const GLvoid* indices)
{
    if (type != GL_UNSIGNED_BYTE && type != GL_UNSIGNED_SHORT && type != GL_UNSIGNED_INT) {
        glStateError(GL_INVALID_ENUM);
        return;
    }
    if (!canDrawArrays(m, n) || !indices)
        return;
    startPrimitive(m);
    for (GLsizei i = 0; i < n; ++i) {
        int index;
        if (type == GL_UNSIGNED_BYTE)
            index = static_cast<const unsigned char*>(indices)[i];
        else if (type == GL_UNSIGNED_SHORT)
            index = static_cast<const unsigned short*>(indices)[i];
        else
            index = static_cast<int>(static_cast<const unsigned int*>(indices)[i]);
        arrayElement(index);
    }
    endPrimitive();
}
