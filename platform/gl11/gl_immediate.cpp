// SPDX-License-Identifier: MIT
// The OpenGL 1.1 layer's primitive assembly: glBegin/glEnd with the current colour, texture coordinate and normal,
// client arrays with glDrawArrays/glDrawElements, all cut into independent triangles, lines or points for the
// batch. Quads split as Mesa splits them (0 1 2, 0 2 3, or 0 1 3, 1 2 3 when any quad of the draw is clipped);
// in flat shading every vertex of a primitive takes the colour of its provoking vertex, the last one (the first
// for GL_POLYGON).
#include "platform/gl11/gl_state.h"
#include "platform/gl11/gl_vertex_count.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

namespace {

GLenum mode = 0;
bool inside = false;
GlVertexCount count;
GlVertex held[4];
GlVertex first;
// A quad waiting for its draw to be split, its colours settled as it was completed.
struct PendingQuad {
    GlVertex v[4];
    bool constant;   // the fragments take the provoking vertex's colour as one value
    bool strip;      // a quad strip's quad: vertices 2k, 2k+1, 2k+2, 2k+3
};
std::vector<PendingQuad> pendingQuads;
bool quadsClipped = false;   // one of them needs clipping
const size_t maxPendingQuads = 4096;
bool colourGivenInside = false;   // a glColor between glBegin and glEnd since the last flush
bool colourInPrimitive = false;   // a glColor since this glBegin
bool arraysDrawing = false;       // glDrawArrays or glDrawElements is assembling

float channel(float v)
{
    return v < 0 ? 0 : v > 1 ? 1 : v;
}

GlVertex makeVertex(float x, float y, float z, float w, const float* rgba, const float* str, const float* normal)
{
    GlVertex v;
    float c[4];
    glTransformToClip(x, y, z, w, c);
    v.x = c[0];
    v.y = c[1];
    v.z = c[2];
    v.w = c[3];
    float st[4] = {str[0], str[1], str[2], str[3]};
    glTransformTexCoord(str, st);
    v.s = st[0];
    v.t = st[1];
    v.q = st[3];
    float eye[4] = {0, 0, 0, 1};
    if (glState.lighting || glState.fog)
        glTransformToEye(x, y, z, w, eye);
    v.fog = eye[2] < 0 ? -eye[2] : eye[2];
    float colour[4];
    glLightVertex(eye, normal, rgba, colour);
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

// The colour the fragments take as one value, or null: when it does not vary, every vertex has the current one;
// in flat shading each primitive is one colour, which Mesa does not interpolate (interpolated, it drifts far off
// on a primitive squashed to nothing).
const float* constantColour(const GlVertex& any)
{
    return glState.shadeModel == GL_FLAT || !glColourVaries() ? &any.r : nullptr;
}

// GL maps every vertex of a viewport with no width (or no height) onto the viewport's edge on that axis, where
// points and lines still draw and triangles, with no area, draw nothing; GLES draws nothing at all. So the batch
// draws such an axis over the pixels on both sides of the edge, and each vertex there gets the clip coordinate
// 0, the middle: the window coordinate GL gives. A line is first cut where it leaves the clip volume on that
// axis, as GL's clipper cuts it.
bool viewportFlat()
{
    return glState.viewport[2] == 0 || glState.viewport[3] == 0;
}

GlVertex between(const GlVertex& from, const GlVertex& to, float t)
{
    const float* a = &from.x;
    const float* b = &to.x;
    GlVertex v;
    float* out = &v.x;
    for (size_t i = 0; i < sizeof(GlVertex) / sizeof(float); ++i)
        out[i] = a[i] + t * (b[i] - a[i]);
    return v;
}

// Cuts the line to the clip volume on each flat axis and puts its ends on that axis's edge; false where none of
// it is left.
bool flattenLine(GlVertex ends[2])
{
    for (int axis = 0; axis < 2; ++axis) {
        if (glState.viewport[2 + axis] != 0)
            continue;
        for (float side : {1.0f, -1.0f}) {
            // Distances inside the plane c = -side w (c >= -w, then c <= w), each end from the inside one.
            const float d0 = ends[0].w + side * (&ends[0].x)[axis];
            const float d1 = ends[1].w + side * (&ends[1].x)[axis];
            if (d0 < 0 && d1 < 0)
                return false;
            if (d0 < 0)
                ends[0] = between(ends[1], ends[0], d1 / (d1 - d0));
            else if (d1 < 0)
                ends[1] = between(ends[0], ends[1], d0 / (d0 - d1));
        }
        (&ends[0].x)[axis] = 0;
        (&ends[1].x)[axis] = 0;
    }
    return true;
}

void triangle(const GlVertex& a, const GlVertex& b, const GlVertex& c, const GlVertex& provoking)
{
    if (viewportFlat())
        return;
    const bool fromList = mode == GL_TRIANGLES && glState.shadeModel != GL_FLAT;
    GlVertex* v = glBatchReserve(GlPrimitive::triangles, 3, constantColour(provoking), fromList);
    if (!v)
        return;
    v[0] = a;
    v[1] = b;
    v[2] = c;
    takeColour(v, 3, provoking);
}

void line(const GlVertex& a, const GlVertex& b, const GlVertex& provoking)
{
    GlVertex ends[2] = {a, b};
    if (viewportFlat() && !flattenLine(ends))
        return;
    GlVertex* v = glBatchReserve(GlPrimitive::lines, 2, constantColour(provoking));
    if (!v)
        return;
    v[0] = ends[0];
    v[1] = ends[1];
    takeColour(v, 2, provoking);
}

bool insideClipVolume(const GlVertex* v, int n);

// GL puts a point in the pixel its window coordinates truncate to; GLES covers the pixel centres inside a
// square around it, which on a whole coordinate is the pixel on one side or the other, by the fill rule. So
// the point moves to the centre of the pixel GL picks (only inside the clip volume: GL drops it otherwise). On an
// axis of no extent GL puts it on the origin, and the batch draws that axis from a pixel before it, two wide.
void snapToPixel(float& c, float w, int origin, int extent)
{
    const float half = 0.5f * static_cast<float>(extent);
    const float window = (c / w + 1.0f) * half + static_cast<float>(origin);
    const float drawnOrigin = static_cast<float>(extent > 0 ? origin : origin - 1);
    const float drawnHalf = extent > 0 ? half : 1.0f;
    c = ((std::floor(window) + 0.5f - drawnOrigin) / drawnHalf - 1.0f) * w;
}

void point(const GlVertex& a)
{
    // GL drops a point outside the clip volume whole; GLES may draw one whose square reaches into the window.
    if (!insideClipVolume(&a, 1))
        return;
    GlVertex* v = glBatchReserve(GlPrimitive::points, 1, constantColour(a));
    if (!v)
        return;
    v[0] = a;
    if (a.w > 0) {
        snapToPixel(v[0].x, a.w, glState.viewport[0], glState.viewport[2]);
        snapToPixel(v[0].y, a.w, glState.viewport[1], glState.viewport[3]);
    }
}

bool insideClipVolume(const GlVertex* v, int n)
{
    for (int i = 0; i < n; ++i) {
        const float w = v[i].w;
        if (!(v[i].x >= -w && v[i].x <= w && v[i].y >= -w && v[i].y <= w && v[i].z >= -w && v[i].z <= w))
            return false;
    }
    return true;
}

bool validMode(GLenum m)
{
    return m <= GL_POLYGON;   // GL_POINTS (0) to GL_POLYGON (9)
}

// As Mesa splits quads: all the quads of a draw into 0 1 2 and 0 2 3 when they are smooth shaded and none of
// them needs clipping, all into 0 1 3 and 1 2 3 (its clipper's path, and its flat one) otherwise; the halves
// differ where the colours are not planar and where a quad is not convex. Mesa's immediate mode draws
// consecutive GL_QUADS primitives as one, up to the next state change; so quads wait for the end of an array
// draw, for another kind of primitive, for the batch to be flushed, or for a bounded count.
void settledTriangle(const GlVertex& a, const GlVertex& b, const GlVertex& c, const float* constant)
{
    if (viewportFlat())
        return;
    GlVertex* v = glBatchReserve(GlPrimitive::triangles, 3, constant);
    if (!v)
        return;
    v[0] = a;
    v[1] = b;
    v[2] = c;
}

void emitQuads()
{
    for (const PendingQuad& quad : pendingQuads) {
        const GlVertex* q = quad.v;
        const float* constant = quad.constant ? &q[3].r : nullptr;
        if (quad.strip) {
            // Both halves share the diagonal 2k to 2k+3; which is drawn first shows where a folded quad
            // overlaps itself, and Mesa's two paths draw them in opposite orders.
            if (!quadsClipped) {
                settledTriangle(q[0], q[1], q[3], constant);
                settledTriangle(q[2], q[0], q[3], constant);
            } else {
                settledTriangle(q[2], q[0], q[3], constant);
                settledTriangle(q[0], q[1], q[3], constant);
            }
        } else if (!quadsClipped && glState.shadeModel != GL_FLAT) {
            settledTriangle(q[0], q[1], q[2], constant);
            settledTriangle(q[0], q[2], q[3], constant);
        } else {
            settledTriangle(q[0], q[1], q[3], constant);
            settledTriangle(q[1], q[2], q[3], constant);
        }
    }
    pendingQuads.clear();
    quadsClipped = false;
}

// The last vertex is the provoking one: under flat shading its colour is the quad's.
void queueQuad(const GlVertex& a, const GlVertex& b, const GlVertex& c, const GlVertex& d, bool strip)
{
    PendingQuad q;
    q.v[0] = a;
    q.v[1] = b;
    q.v[2] = c;
    q.v[3] = d;
    takeColour(q.v, 4, d);
    q.constant = constantColour(d) != nullptr;
    q.strip = strip;
    pendingQuads.push_back(q);
    quadsClipped = quadsClipped || !insideClipVolume(q.v, 4);
    if (pendingQuads.size() >= maxPendingQuads)
        emitQuads();
}

void startPrimitive(GLenum m)
{
    if (m != GL_QUADS)
        emitQuads();
    mode = m;
    count.start();
}

void addVertex(const GlVertex& v)
{
    const int n = count.next();
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
            queueQuad(held[0], held[1], held[2], held[3], false);
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
            // Vertices 2k, 2k+1, 2k+3, 2k+2 bound quad k; the strip is split alike once it is known whether
            // any of its quads needs clipping (a last odd vertex belongs to none).
            queueQuad(held[0], held[1], held[2], v, true);
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
    if ((mode == GL_QUADS && arraysDrawing) || mode == GL_QUAD_STRIP)
        emitQuads();
    if (mode == GL_LINE_LOOP && count.seen() >= 2)
        line(held[0], first, first);
}

}  // namespace

void glLightVertex(const float eye[4], const float* normal, const float* rgba, float out[4])
{
    for (int i = 0; i < 4; ++i)
        out[i] = rgba[i];
    if (!glState.lighting)
        return;
    // GL's defaults: scene ambient 0.2, the material's ambient and diffuse (or the colour, under
    // GL_COLOR_MATERIAL's default GL_AMBIENT_AND_DIFFUSE), no specular, and of the lights only GL_LIGHT0
    // gives light: white, diffuse only, from the eye's +z at infinity. Alpha is the diffuse alpha.
    (void)eye;
    const float* ambient = glState.colorMaterial ? rgba : glState.materialAmbient;
    const float* diffuse = glState.colorMaterial ? rgba : glState.materialDiffuse;
    float lit = 0;
    if (glState.light[0]) {
        const float* m = glNormalMatrix();
        float n[3];
        for (int r = 0; r < 3; ++r)
            n[r] = m[r] * normal[0] + m[3 + r] * normal[1] + m[6 + r] * normal[2];
        if (glState.normalize) {
            const float length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
            if (length > 0)
                n[2] /= length;
        }
        lit = n[2] > 0 ? n[2] : 0;
    }
    for (int i = 0; i < 3; ++i)
        out[i] = 0.2f * ambient[i] + lit * diffuse[i];
    out[3] = diffuse[3];
}

void glImmediateFlush()
{
    emitQuads();
}

void glAssembleVertex(float x, float y, float z, float w)
{
    if (!inside)
        return;   // vertices outside glBegin/glEnd draw nothing
    addVertex(makeVertex(x, y, z, w, glState.color, glState.texCoord, glState.normal));
}

bool glRefusedInsideBegin()
{
    if (!inside)
        return false;
    glStateError(GL_INVALID_OPERATION);
    return true;
}

void glBegin(GLenum m)
{
    if (!validMode(m) && glListRecordError(GL_INVALID_ENUM))
        return;
    if (glListRecord(GlListCall::begin, [m] { glBegin(m); }))
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
    colourInPrimitive = false;
    startPrimitive(m);
}

void glEnd()
{
    if (glListRecord(GlListCall::end, [] { glEnd(); }))
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
    if (glListRecord(GlListCall::inside, [=] { glVertex4f(x, y, z, w); }))
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
    if (glListRecord(GlListCall::inside, [=] { glTexCoord2f(s, t); }))
        return;
    glState.texCoord[0] = s;
    glState.texCoord[1] = t;
    glState.texCoord[2] = 0;
    glState.texCoord[3] = 1;
}

void glNormal3f(GLfloat x, GLfloat y, GLfloat z)
{
    if (glListRecord(GlListCall::inside, [=] { glNormal3f(x, y, z); }))
        return;
    glState.normal[0] = x;
    glState.normal[1] = y;
    glState.normal[2] = z;
}

void glNormal3fv(const GLfloat* v) { glNormal3f(v[0], v[1], v[2]); }

void glTexCoord2d(GLdouble s, GLdouble t) { glTexCoord2f(static_cast<float>(s), static_cast<float>(t)); }
void glTexCoord2i(GLint s, GLint t) { glTexCoord2f(static_cast<float>(s), static_cast<float>(t)); }
void glTexCoord2fv(const GLfloat* v) { glTexCoord2f(v[0], v[1]); }

void glColor4f(GLfloat r, GLfloat g, GLfloat b, GLfloat a)
{
    if (glListRecord(GlListCall::inside, [=] { glColor4f(r, g, b, a); }))
        return;
    colourGivenInside = colourGivenInside || inside;
    colourInPrimitive = colourInPrimitive || inside;
    glState.color[0] = r;
    glState.color[1] = g;
    glState.color[2] = b;
    glState.color[3] = a;
    glMaterialFollowColour();
}

void glMaterialFollowColour()
{
    if (!glState.colorMaterial)
        return;
    for (int i = 0; i < 4; ++i)
        glState.materialAmbient[i] = glState.materialDiffuse[i] = glState.color[i];
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

// ---- Client arrays: coordinates of short, int, float and double; colours and normals of every GL 1.1 type,
// the integer ones normalised as Mesa's vertex fetch does (unsigned c / max, signed c / max clamped at -1).
namespace {

struct ClientArray {
    bool enabled = false;
    GLint size = 4;
    GLenum type = GL_FLOAT;
    GLsizei stride = 0;
    const void* pointer = nullptr;
    bool normalised = false;
};
ClientArray vertexArray, texCoordArray, colorArray, normalArray;

int typeSize(GLenum type)
{
    switch (type) {
    case GL_BYTE:
    case GL_UNSIGNED_BYTE: return 1;
    case GL_SHORT:
    case GL_UNSIGNED_SHORT: return 2;
    case GL_INT:
    case GL_UNSIGNED_INT:
    case GL_FLOAT: return 4;
    case GL_DOUBLE: return 8;
    default: return 0;
    }
}

template <typename T>
T load(const unsigned char* at)
{
    T v;
    std::memcpy(&v, at, sizeof v);
    return v;
}

float component(const ClientArray& array, const unsigned char* at)
{
    const bool n = array.normalised;
    auto signedUnit = [](double v, double max) { return static_cast<float>(v / max < -1 ? -1 : v / max); };
    switch (array.type) {
    case GL_FLOAT: return load<float>(at);
    case GL_DOUBLE: return static_cast<float>(load<double>(at));
    case GL_BYTE: return n ? signedUnit(load<GLbyte>(at), 127) : load<GLbyte>(at);
    case GL_UNSIGNED_BYTE: return n ? at[0] / 255.0f : at[0];
    case GL_SHORT: return n ? signedUnit(load<GLshort>(at), 32767) : load<GLshort>(at);
    case GL_UNSIGNED_SHORT: return n ? load<GLushort>(at) / 65535.0f : load<GLushort>(at);
    case GL_INT: return n ? signedUnit(load<GLint>(at), 2147483647.0) : static_cast<float>(load<GLint>(at));
    case GL_UNSIGNED_INT:
        return n ? static_cast<float>(load<GLuint>(at) / 4294967295.0) : static_cast<float>(load<GLuint>(at));
    default: return 0;
    }
}

void fetch(const ClientArray& array, int index, float* out)
{
    const int size = typeSize(array.type);
    const std::ptrdiff_t stride = array.stride ? array.stride : array.size * size;
    const unsigned char* at = static_cast<const unsigned char*>(array.pointer) + index * stride;
    for (int i = 0; i < array.size; ++i)
        out[i] = component(array, at + i * size);
}

// The vertex array element `index` makes, with the current values for the arrays that are off.
void elementValues(int index, float* position, float* texCoord, float* colour, float* normal)
{
    fetch(vertexArray, index, position);
    for (int i = 0; i < 4; ++i)
        texCoord[i] = glState.texCoord[i];
    if (texCoordArray.enabled && texCoordArray.pointer) {
        texCoord[2] = 0;
        texCoord[3] = 1;
        fetch(texCoordArray, index, texCoord);
    }
    for (int i = 0; i < 4; ++i)
        colour[i] = glState.color[i];
    if (colorArray.enabled && colorArray.pointer) {
        colour[3] = 1;
        fetch(colorArray, index, colour);
    }
    for (int i = 0; i < 3; ++i)
        normal[i] = glState.normal[i];
    if (normalArray.enabled && normalArray.pointer)
        fetch(normalArray, index, normal);
}

void arrayElement(int index)
{
    float position[4] = {0, 0, 0, 1}, texCoord[4], colour[4], normal[3];
    elementValues(index, position, texCoord, colour, normal);
    addVertex(makeVertex(position[0], position[1], position[2], position[3], colour, texCoord, normal));
}

// A draw compiled into a list keeps the elements as they are now: the vertices, and the colour, texture
// coordinate and normal of the arrays that are on.
void recordElements(GLenum m, const std::vector<int>& elements)
{
    struct Element {
        float position[4], texCoord[4], colour[4], normal[3];
    };
    std::vector<Element> copied(elements.size());
    for (size_t i = 0; i < elements.size(); ++i) {
        Element& e = copied[i];
        e.position[0] = e.position[1] = e.position[2] = 0;
        e.position[3] = 1;
        elementValues(elements[i], e.position, e.texCoord, e.colour, e.normal);
    }
    const bool colours = colorArray.enabled && colorArray.pointer;
    const bool texCoords = texCoordArray.enabled && texCoordArray.pointer;
    const bool normals = normalArray.enabled && normalArray.pointer;
    glListRecord(GlListCall::outside, [m, copied, colours, texCoords, normals] {
        if (glRefusedInsideBegin())
            return;
        glBegin(m);
        for (const Element& e : copied) {
            if (colours)
                glColor4f(e.colour[0], e.colour[1], e.colour[2], e.colour[3]);
            if (texCoords) {
                glState.texCoord[0] = e.texCoord[0];
                glState.texCoord[1] = e.texCoord[1];
                glState.texCoord[2] = e.texCoord[2];
                glState.texCoord[3] = e.texCoord[3];
            }
            if (normals)
                glNormal3f(e.normal[0], e.normal[1], e.normal[2]);
            glVertex4f(e.position[0], e.position[1], e.position[2], e.position[3]);
        }
        glEnd();
    });
}

// Mesa flushes the vertices glBegin/glEnd collected before it draws from arrays.
template <typename IndexAt>
void drawElements(GLenum m, GLsizei n, const IndexAt& indexAt)
{
    emitQuads();   // the immediate mode's own draw comes first
    glVerticesFlushed();
    arraysDrawing = true;
    startPrimitive(m);
    for (GLsizei i = 0; i < n; ++i)
        arrayElement(indexAt(i));
    endPrimitive();
    arraysDrawing = false;
}

ClientArray* arrayFor(GLenum array)
{
    switch (array) {
    case GL_VERTEX_ARRAY: return &vertexArray;
    case GL_TEXTURE_COORD_ARRAY: return &texCoordArray;
    case GL_COLOR_ARRAY: return &colorArray;
    case GL_NORMAL_ARRAY: return &normalArray;
    default: return nullptr;
    }
}

void setPointer(ClientArray& array, GLint size, GLenum type, GLsizei stride, const void* pointer, int minSize,
                bool typeAllowed)
{
    if (glRefusedInsideBegin())
        return;
    // Mesa's order: the stride, the type, the size.
    if (stride < 0) {
        glStateError(GL_INVALID_VALUE);
        return;
    }
    if (!typeAllowed) {
        glStateError(GL_INVALID_ENUM);
        return;
    }
    if (size < minSize || size > 4) {
        glStateError(GL_INVALID_VALUE);
        return;
    }
    array.size = size;
    array.type = type;
    array.stride = stride;
    array.pointer = pointer;
    array.normalised = &array == &colorArray || &array == &normalArray;
}

bool coordinateType(GLenum type)
{
    return type == GL_SHORT || type == GL_INT || type == GL_FLOAT || type == GL_DOUBLE;
}

bool canDrawArrays(GLenum m, GLsizei n)
{
    // Mesa's order: the count, then the mode.
    if (glRefusedInsideBegin())
        return false;
    if (n < 0) {
        glStateError(GL_INVALID_VALUE);
        return false;
    }
    if (!validMode(m)) {
        glStateError(GL_INVALID_ENUM);
        return false;
    }
    return vertexArray.enabled && vertexArray.pointer;
}

// A draw compiled into a list: the error of an invalid mode, then of a negative count, as Mesa's list compiler
// checks them; it goes into the list, and is raised at once too under GL_COMPILE_AND_EXECUTE.
bool compileRefused(GLenum m, GLsizei n)
{
    const GLenum error = !validMode(m) ? GL_INVALID_ENUM : n < 0 ? GL_INVALID_VALUE : GL_NO_ERROR;
    return error != GL_NO_ERROR && glListRecordError(error);
}

}  // namespace

bool glColourVaries()
{
    if (glState.lighting)
        return true;
    if (arraysDrawing)
        return colorArray.enabled && colorArray.pointer;
    return colourGivenInside;
}

void glVerticesFlushed()
{
    // A flush in the middle of a primitive leaves its vertices held so far, and their colours, to the next
    // batch: a line loop's first vertex closes it.
    colourGivenInside = inside && colourInPrimitive;
}

bool glClientArrayEnabled(GLenum array, bool* known)
{
    const ClientArray* a = arrayFor(array);
    *known = a != nullptr;
    return a && a->enabled;
}

bool glClientArrayQuery(GLenum pname, GLint* out)
{
    const ClientArray* a = nullptr;
    int field = 0;
    switch (pname) {
    case GL_VERTEX_ARRAY_SIZE: a = &vertexArray; field = 0; break;
    case GL_VERTEX_ARRAY_TYPE: a = &vertexArray; field = 1; break;
    case GL_VERTEX_ARRAY_STRIDE: a = &vertexArray; field = 2; break;
    case GL_COLOR_ARRAY_SIZE: a = &colorArray; field = 0; break;
    case GL_COLOR_ARRAY_TYPE: a = &colorArray; field = 1; break;
    case GL_COLOR_ARRAY_STRIDE: a = &colorArray; field = 2; break;
    case GL_TEXTURE_COORD_ARRAY_SIZE: a = &texCoordArray; field = 0; break;
    case GL_TEXTURE_COORD_ARRAY_TYPE: a = &texCoordArray; field = 1; break;
    case GL_TEXTURE_COORD_ARRAY_STRIDE: a = &texCoordArray; field = 2; break;
    case GL_NORMAL_ARRAY_TYPE: a = &normalArray; field = 1; break;
    case GL_NORMAL_ARRAY_STRIDE: a = &normalArray; field = 2; break;
    default: return false;
    }
    *out = field == 0 ? a->size : field == 1 ? static_cast<GLint>(a->type) : a->stride;
    return true;
}

void glEnableClientState(GLenum array)
{
    if (glRefusedInsideBegin())
        return;
    if (ClientArray* a = arrayFor(array))
        a->enabled = true;
    else if (array != GL_INDEX_ARRAY && array != GL_EDGE_FLAG_ARRAY)
        glStateError(GL_INVALID_ENUM);
}

void glDisableClientState(GLenum array)
{
    if (glRefusedInsideBegin())
        return;
    if (ClientArray* a = arrayFor(array))
        a->enabled = false;
    else if (array != GL_INDEX_ARRAY && array != GL_EDGE_FLAG_ARRAY)
        glStateError(GL_INVALID_ENUM);
}

void glVertexPointer(GLint size, GLenum type, GLsizei stride, const GLvoid* pointer)
{
    setPointer(vertexArray, size, type, stride, pointer, 2, coordinateType(type));
}

void glTexCoordPointer(GLint size, GLenum type, GLsizei stride, const GLvoid* pointer)
{
    setPointer(texCoordArray, size, type, stride, pointer, 1, coordinateType(type));
}

void glColorPointer(GLint size, GLenum type, GLsizei stride, const GLvoid* pointer)
{
    setPointer(colorArray, size, type, stride, pointer, 3, typeSize(type) != 0);
}

void glNormalPointer(GLenum type, GLsizei stride, const GLvoid* pointer)
{
    setPointer(normalArray, 3, type, stride, pointer, 3,
               type == GL_BYTE || type == GL_SHORT || type == GL_INT || type == GL_FLOAT || type == GL_DOUBLE);
}

void glDrawArrays(GLenum m, GLint firstIndex, GLsizei n)
{
    if (glListCompiling()) {
        if (compileRefused(m, n))
            return;
        if (vertexArray.enabled && vertexArray.pointer && firstIndex >= 0) {
            std::vector<int> elements(static_cast<size_t>(n));
            for (GLsizei i = 0; i < n; ++i)
                elements[static_cast<size_t>(i)] = firstIndex + i;
            recordElements(m, elements);
        }
        if (glListCompilingMode() == GL_COMPILE)
            return;
    }
    if (!canDrawArrays(m, n) || firstIndex < 0)
        return;
    drawElements(m, n, [firstIndex](GLsizei i) { return firstIndex + i; });
}

void glDrawElements(GLenum m, GLsizei n, GLenum type, const GLvoid* indices)
{
    const bool knownType = type == GL_UNSIGNED_BYTE || type == GL_UNSIGNED_SHORT || type == GL_UNSIGNED_INT;
    auto indexAt = [type, indices](GLsizei i) {
        if (type == GL_UNSIGNED_BYTE)
            return static_cast<int>(static_cast<const unsigned char*>(indices)[i]);
        if (type == GL_UNSIGNED_SHORT)
            return static_cast<int>(static_cast<const unsigned short*>(indices)[i]);
        return static_cast<int>(static_cast<const unsigned int*>(indices)[i]);
    };
    if (glListCompiling()) {
        // The type after the mode and the count (Mesa answers a bad one with GL_INVALID_VALUE where GL says
        // GL_INVALID_ENUM, which the list keeps).
        if (compileRefused(m, n) || (!knownType && glListRecordError(GL_INVALID_ENUM)))
            return;
        if (vertexArray.enabled && vertexArray.pointer && indices) {
            std::vector<int> elements(static_cast<size_t>(n));
            for (GLsizei i = 0; i < n; ++i)
                elements[static_cast<size_t>(i)] = indexAt(i);
            recordElements(m, elements);
        }
        if (glListCompilingMode() == GL_COMPILE)
            return;
    } else if (glRefusedInsideBegin()) {
        return;
    }
    if (n < 0 || !knownType) {
        glStateError(n < 0 ? GL_INVALID_VALUE : GL_INVALID_ENUM);
        return;
    }
    if (!canDrawArrays(m, n) || !indices)
        return;
    drawElements(m, n, indexAt);
}
