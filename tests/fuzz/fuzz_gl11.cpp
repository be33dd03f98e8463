// SPDX-License-Identifier: MIT
// Fuzz target: the OpenGL 1.1 layer against Mesa's own GL 1.1. The input is read as a program of GL 1.1
// calls; it runs once on each side (tests/gl11/gl11_pair.h), logging every error and query answer, and the
// two logs must agree exactly and the two 64 x 64 pictures within the rasterizers' rounding. Anything else
// aborts with the first difference.
//
// Left out, because the layer refuses or cannot match them (its header comment lists the same): pixel types
// other than GL_UNSIGNED_BYTE, texture borders, GL_CLAMP, smooth points and lines, and the calls the layer
// lacks altogether.
#include "tests/gl11/gl11_pair.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <tuple>
#include <initializer_list>
#include <map>
#include <type_traits>
#include <vector>

namespace {

const int size = 64;

struct Reader {
    const uint8_t* at;
    size_t left;
    unsigned byte()
    {
        if (left == 0)
            return 0;
        --left;
        return *at++;
    }
    template <typename T, size_t n>
    T pick(const T (&table)[n])
    {
        return table[byte() % n];
    }
    template <typename T>
    T pick(std::initializer_list<T> table)
    {
        return table.begin()[byte() % table.size()];
    }
    float unit() { return static_cast<float>(byte()) / 255.0f; }
    float coord() { return (static_cast<float>(byte()) - 128.0f) / 50.0f; }
    int small(int n) { return static_cast<int>(byte() % static_cast<unsigned>(n)); }
};

// What one side said: errors and query answers in call order.
struct Entry {
    int call;
    double value;
    bool approximate;
};

// Pixel data and client arrays both sides read: the same bytes every run.
unsigned char pattern[160 * 1024];
float floats[4096];
unsigned char indices[1024];
// The same small values in the other array types: an integer or double array read from the floats' bytes
// would put vertices at 10^9 or beyond, where a rasterizer's clipping differs in its last bits.
double doubles[4096];
GLint ints[4096];
GLshort shorts[4096];

const void* arrayData(GLenum type)
{
    switch (type) {
    case GL_DOUBLE: return doubles;
    case GL_INT: return ints;
    case GL_SHORT: return shorts;
    default: return floats;
    }
}

void fillPatterns()
{
    uint32_t x = 12345;
    for (unsigned char& b : pattern) {
        x = x * 1664525u + 1013904223u;
        b = static_cast<unsigned char>(x >> 24);
    }
    for (float& f : floats) {
        x = x * 1664525u + 1013904223u;
        f = static_cast<float>(static_cast<int>(x >> 24) - 128) / 50.0f;
    }
    for (unsigned char& i : indices) {
        x = x * 1664525u + 1013904223u;
        i = static_cast<unsigned char>((x >> 24) % 64);
    }
    for (size_t i = 0; i < 4096; ++i) {
        doubles[i] = floats[i];
        ints[i] = static_cast<GLint>(floats[i] * 2);
        shorts[i] = static_cast<GLshort>(ints[i]);
    }
}

const GLenum modes[] = {GL_POINTS,         GL_LINES,        GL_LINE_LOOP, GL_LINE_STRIP, GL_TRIANGLES,
                        GL_TRIANGLE_STRIP, GL_TRIANGLE_FAN, GL_QUADS,     GL_QUAD_STRIP, GL_POLYGON,
                        GL_TRIANGLES,      GL_QUADS,        GL_POLYGON,   0x1234};
const GLenum caps[] = {GL_TEXTURE_2D, GL_BLEND,          GL_DEPTH_TEST,   GL_CULL_FACE,          GL_LIGHTING,
                       GL_LIGHT0,     GL_LIGHT1,         GL_ALPHA_TEST,   GL_COLOR_MATERIAL,     GL_NORMALIZE,
                       GL_DITHER,     GL_SCISSOR_TEST,   GL_FOG,          GL_POLYGON_OFFSET_FILL, GL_TEXTURE_2D,
                       GL_BLEND,      GL_TEXTURE_1D,     GL_VERTEX_ARRAY, 0x1234};
const GLenum factors[] = {GL_ZERO,      GL_ONE,           GL_SRC_COLOR,           GL_ONE_MINUS_SRC_COLOR,
                          GL_DST_COLOR, GL_ONE_MINUS_DST_COLOR, GL_SRC_ALPHA,    GL_ONE_MINUS_SRC_ALPHA,
                          GL_DST_ALPHA, GL_ONE_MINUS_DST_ALPHA, GL_SRC_ALPHA_SATURATE, 0x1234};
const GLenum depthFuncs[] = {GL_NEVER, GL_LESS,   GL_EQUAL,  GL_LEQUAL, GL_GREATER,
                             GL_NOTEQUAL, GL_GEQUAL, GL_ALWAYS, 0x1234};
const GLenum faces[] = {GL_FRONT, GL_BACK, GL_FRONT_AND_BACK, GL_CW, GL_CCW, 0x1234};
const GLenum matrixModes[] = {GL_MODELVIEW, GL_PROJECTION, GL_TEXTURE, GL_MODELVIEW, 0x1234};
const GLint internalFormats[] = {1,          2,         3,         4,
                                 GL_ALPHA,   GL_LUMINANCE, GL_LUMINANCE_ALPHA, GL_RGB,
                                 GL_RGBA,    GL_RGB8,   GL_RGBA8,  GL_ALPHA8,
                                 GL_LUMINANCE8, GL_LUMINANCE8_ALPHA8, 0x1234};
const GLenum formats[] = {GL_ALPHA, GL_LUMINANCE, GL_LUMINANCE_ALPHA, GL_RGB,  GL_RGBA,  GL_BGR_EXT,
                          GL_BGRA_EXT, GL_RGB,   GL_RGBA,            GL_RED,  GL_GREEN, GL_BLUE, 0x1234};
const int sizes[] = {0, 1, 2, 3, 4, 5, 8, 8, 16, 16, 7, 32, 64, -1};
const GLenum filters[] = {GL_NEAREST,
                          GL_LINEAR,
                          GL_NEAREST_MIPMAP_NEAREST,
                          GL_LINEAR_MIPMAP_NEAREST,
                          GL_NEAREST_MIPMAP_LINEAR,
                          GL_LINEAR_MIPMAP_LINEAR,
                          GL_NEAREST,
                          GL_LINEAR,
                          0x1234};
const GLenum wraps[] = {GL_REPEAT, GL_CLAMP_TO_EDGE, GL_REPEAT, 0x1234};
const GLenum parameters[] = {GL_TEXTURE_MIN_FILTER, GL_TEXTURE_MAG_FILTER, GL_TEXTURE_WRAP_S, GL_TEXTURE_WRAP_T,
                             GL_TEXTURE_MIN_FILTER, 0x1234};
// Names beyond 2^24 as well: a list must keep them whole.
const GLuint textureNames[] = {0, 1, 2, 3, 16777217, 16777219, 77};
const GLuint listNames[] = {1, 2, 3, 4, 5, 0};
const GLenum arrayTypes[] = {GL_FLOAT, GL_FLOAT, GL_SHORT, GL_INT, GL_DOUBLE, GL_UNSIGNED_BYTE, 0x1234};
const GLenum colorTypes[] = {GL_FLOAT, GL_UNSIGNED_BYTE, GL_UNSIGNED_BYTE, GL_BYTE, GL_SHORT,
                             GL_UNSIGNED_SHORT, GL_INT, GL_UNSIGNED_INT, GL_DOUBLE};
const GLenum indexTypes[] = {GL_UNSIGNED_BYTE, GL_UNSIGNED_SHORT, GL_UNSIGNED_INT, 0x1234};
const GLenum listTypes[] = {GL_UNSIGNED_BYTE, GL_BYTE,    GL_UNSIGNED_SHORT, GL_SHORT, GL_UNSIGNED_INT,
                            GL_INT,           GL_FLOAT,   GL_2_BYTES,        GL_3_BYTES, GL_4_BYTES, 0x1234};
const GLenum pixelStores[] = {GL_UNPACK_ALIGNMENT, GL_UNPACK_ROW_LENGTH, GL_UNPACK_SKIP_ROWS,
                              GL_UNPACK_SKIP_PIXELS, GL_PACK_ALIGNMENT, GL_UNPACK_ALIGNMENT, 0x1234};
const GLint pixelStoreValues[] = {1, 2, 4, 8, 0, 3, 17, 70, -1};
const GLenum queries[] = {GL_VIEWPORT,
                          GL_MATRIX_MODE,
                          GL_TEXTURE_BINDING_2D,
                          GL_SHADE_MODEL,
                          GL_BLEND_SRC,
                          GL_BLEND_DST,
                          GL_DEPTH_FUNC,
                          GL_CULL_FACE_MODE,
                          GL_FRONT_FACE,
                          GL_COLOR_CLEAR_VALUE,
                          GL_DEPTH_CLEAR_VALUE,
                          GL_CURRENT_COLOR,
                          GL_CURRENT_TEXTURE_COORDS,
                          GL_CURRENT_NORMAL,
                          GL_MODELVIEW_MATRIX,
                          GL_PROJECTION_MATRIX,
                          GL_TEXTURE_MATRIX,
                          GL_MODELVIEW_STACK_DEPTH,
                          GL_PROJECTION_STACK_DEPTH,
                          GL_TEXTURE_STACK_DEPTH,
                          GL_UNPACK_ALIGNMENT,
                          GL_PACK_ALIGNMENT,
                          GL_UNPACK_ROW_LENGTH,
                          GL_UNPACK_SKIP_ROWS,
                          GL_UNPACK_SKIP_PIXELS,
                          GL_LIST_BASE,
                          GL_LIST_INDEX,
                          GL_LIST_MODE,
                          GL_BLEND,
                          GL_DEPTH_TEST,
                          GL_TEXTURE_2D,
                          GL_CULL_FACE,
                          GL_LIGHTING,
                          GL_VERTEX_ARRAY,
                          GL_COLOR_ARRAY,
                          GL_TEXTURE_COORD_ARRAY,
                          GL_NORMAL_ARRAY,
                          GL_CURRENT_RASTER_POSITION_VALID,
                          GL_DEPTH_RANGE,
                          GL_COLOR_WRITEMASK,
                          GL_MAX_VIEWPORT_DIMS,
                          GL_MAX_MODELVIEW_STACK_DEPTH,
                          GL_MAX_PROJECTION_STACK_DEPTH,
                          GL_MAX_TEXTURE_STACK_DEPTH,
                          GL_MAX_LIST_NESTING,
                          GL_POLYGON_OFFSET_FACTOR,
                          GL_POLYGON_OFFSET_UNITS,
                          0x1234};

// GL11_TRACE=1 prints every call of the program with its arguments (on both sides), for reading a failure.
const bool tracing = std::getenv("GL11_TRACE") != nullptr;

void traceArgs() {}
template <typename T, typename... Rest>
void traceArgs(T first, Rest... rest)
{
    if constexpr (std::is_pointer<T>::value)
        std::fprintf(stderr, " ptr");
    else
        std::fprintf(stderr, " %g", static_cast<double>(first));
    traceArgs(rest...);
}

// GL11_SKIP=a,b,... leaves those calls out (their bytes still read), for narrowing a failure down.
bool skipped(int call)
{
    static const char* list = std::getenv("GL11_SKIP");
    if (!list)
        return false;
    for (const char* p = list; *p;) {
        char* end = nullptr;
        const long n = std::strtol(p, &end, 10);
        if (end == p)
            break;
        if (n == call)
            return true;
        p = *end ? end + 1 : end;
    }
    return false;
}

template <typename F, typename... A>
auto invoke(int call, const char* name, F f, A... args)
{
    if (skipped(call))
        return decltype(f(args...))();
    if (tracing) {
        std::fprintf(stderr, "%d %s", call, name);
        traceArgs(args...);
        std::fprintf(stderr, "\n");
    }
    return f(args...);
}

// The arguments are read from the input inside braces, so left to right whatever the compiler: an input means
// the same calls in every build.
template <typename F, typename... A>
auto invokeInOrder(int call, const char* name, F f, std::tuple<A...> args)
{
    return std::apply([&](A... a) { return invoke(call, name, f, a...); }, args);
}

#define CALL(name, ...) invokeInOrder(call, "gl" #name, gl.name, std::tuple{__VA_ARGS__})
#define CALL0(name) invoke(call, "gl" #name, gl.name)

class Program {
public:
    Program(const Gl11Table& gl, const uint8_t* data, size_t bytes, uint32_t serial)
        : gl(gl), in{data, bytes}, serial(serial) {}

    std::vector<Entry> log;

    void run()
    {
        int calls = 0;
        while (in.left > 0 && calls < 400) {
            step();
            ++calls;
            if (!maybeInside)
                note(CALL0(GetError), false);
        }
        tidy();
    }

private:
    const Gl11Table& gl;
    Reader in;
    uint32_t serial;          // which input of the process this is
    int drawPixelsCalls = 0;
    int call = 0;
    bool maybeInside = false;   // a glBegin may be open: glGetError then is itself an error
    bool maybeCompiling = false;
    bool maybeExecuting = false;   // a list may be compiling under GL_COMPILE_AND_EXECUTE
    bool surelyInside = false;     // a glBegin is certainly open (vertices are defined)
    int verticesInPrimitive = 0;
    int vertexForm = 0;   // glVertex2f, 3f or 4f: one for all vertices of a primitive
    bool compiledListCall = false;   // the list being compiled calls a list
    bool compiledProduct = false;    // the list being compiled multiplies a matrix
    int compiledForm = 2;            // the narrowest vertex form compiled into the list being compiled
    int products = 0;                // matrix products so far, those a list call repeats included
    std::map<GLuint, int> listProducts;   // the products each list ran when it was compiled, called lists' too
    GLuint compilingName = 0;
    int compilingProducts = 0;
    GLenum primitiveMode = GL_POINTS;   // of the last glBegin
    bool compiledPrimitive = false;   // a glBegin has been compiled into the list being compiled
    float colour[4] = {1, 1, 1, 1}, texCoord[2] = {0, 0}, normal[3] = {0, 0, 1};
    GLuint generatedTextures[4] = {};
    GLuint generatedLists = 0;

    void note(double value, bool approximate) { log.push_back({call, value, approximate}); }

    GLuint textureName()
    {
        const int k = in.small(10);
        return k < 7 ? textureNames[k] : generatedTextures[k - 7];
    }

    GLuint listName()
    {
        const int k = in.small(7);
        return k < 6 ? listNames[k] : generatedLists;
    }

    const unsigned char* pixels() { return pattern + in.small(64) * 64; }

    // Mesa keeps the last glDrawPixels image and draws it again for the same bytes, whatever the unpack
    // state now says about them (a different alignment, row length or skip): a fault of Mesa's, not the
    // layer's. So every glDrawPixels of the run reads bytes no earlier one read: the pattern, its first bytes
    // stamped with the input's and the call's number (the same on both sides).
    const unsigned char* stampedPixels(int offset)
    {
        static unsigned char copy[sizeof pattern];
        std::memcpy(copy, pattern + offset, sizeof pattern - static_cast<size_t>(offset));
        const uint32_t stamp = serial * 4096u + static_cast<uint32_t>(drawPixelsCalls++);
        std::memcpy(copy, &stamp, sizeof stamp);
        return copy;
    }

    // Every vertex carries a colour, texture coordinate and normal, and all of a primitive's vertices have
    // as many coordinates: Mesa's immediate mode misplaces vertices when an attribute first appears in the
    // middle of a primitive after an empty one, and draws a wrong line in a line loop whose vertices grow from
    // two coordinates to three, so the vertex format never changes inside a primitive.
    void vertex()
    {
        ++verticesInPrimitive;
        CALL(Color4f, colour[0], colour[1], colour[2], colour[3]);
        CALL(TexCoord2f, texCoord[0], texCoord[1]);
        CALL(Normal3f, normal[0], normal[1], normal[2]);
        const float x = in.coord(), y = in.coord();
        switch (vertexForm) {
        case 0: CALL(Vertex2f, x, y); break;
        case 1: CALL(Vertex3f, x, y, in.coord()); break;
        default: CALL(Vertex4f, x, y, in.coord(), 0.5f + in.unit()); break;
        }
    }

    void query()
    {
        const GLenum pname = in.pick(queries);
        int how = in.small(5);
        // Mesa maps matrices and normals to integers like colours, overflowing past 1; GL rounds them.
        if (how == 0 && (pname == GL_MODELVIEW_MATRIX || pname == GL_PROJECTION_MATRIX ||
                         pname == GL_TEXTURE_MATRIX || pname == GL_CURRENT_NORMAL))
            how = 1;
        switch (how) {
        case 0: {
            GLint v[16];
            for (GLint& x : v)
                x = -7777;
            CALL(GetIntegerv, pname, v);
            for (GLint x : v)
                note(x, pname == GL_COLOR_CLEAR_VALUE || pname == GL_CURRENT_COLOR);
            break;
        }
        case 1:
        case 2: {
            GLfloat v[16];
            for (GLfloat& x : v)
                x = -7777;
            CALL(GetFloatv, pname, v);
            for (GLfloat x : v)
                note(x, true);
            break;
        }
        case 3: {
            GLboolean v[16];
            for (GLboolean& x : v)
                x = 77;
            CALL(GetBooleanv, pname, v);
            for (GLboolean x : v)
                note(x, false);
            break;
        }
        default: note(CALL(IsEnabled, pname), false); break;
        }
    }

    void texImage()
    {
        const GLint level = in.pick<GLint>({0, 0, 0, 1, 2, 3, 4, 5, 6, -1});
        const GLint internal = in.pick(internalFormats);
        const int w = in.pick(sizes), h = in.pick(sizes);
        const GLenum format = in.pick(formats);
        CALL(TexImage2D, GL_TEXTURE_2D, level, internal, w, h, 0, format, GL_UNSIGNED_BYTE, pixels());
    }

    void texSubImage()
    {
        const GLint level = in.pick<GLint>({0, 0, 1, 2, -1});
        const GLint x = in.pick<GLint>({0, 0, 1, 3, -1}), y = in.pick<GLint>({0, 0, 2, -1});
        const int w = in.pick(sizes), h = in.pick(sizes);
        CALL(TexSubImage2D, GL_TEXTURE_2D, level, x, y, w, h, in.pick(formats), GL_UNSIGNED_BYTE, pixels());
    }

    void clientArrays()
    {
        const int stride = in.pick<int>({0, 0, 0, 16, 24, -4});
        const GLint n = in.pick<GLint>({2, 3, 4, 3, 1, 5});
        const void* data = in.small(2) ? static_cast<const void*>(floats) : static_cast<const void*>(pattern);
        const int which = in.small(7);
        switch (which) {
        case 0: {
            const GLenum type = in.pick(arrayTypes);
            CALL(VertexPointer, n, type, stride, arrayData(type));
            break;
        }
        case 1: {
            const GLenum type = in.pick(colorTypes);
            CALL(ColorPointer, n, type, stride, type == GL_FLOAT || type == GL_DOUBLE ? arrayData(type) : data);
            break;
        }
        case 2: {
            const GLenum type = in.pick(arrayTypes);
            CALL(TexCoordPointer, n, type, stride, arrayData(type));
            break;
        }
        case 3: CALL(NormalPointer, in.pick<GLenum>({GL_FLOAT, GL_SHORT, GL_BYTE, GL_INT}), stride, floats); break;
        case 4: {
            const GLenum array =
                in.pick<GLenum>({GL_VERTEX_ARRAY, GL_COLOR_ARRAY, GL_TEXTURE_COORD_ARRAY, GL_NORMAL_ARRAY,
                                         0x1234});
            if (in.small(3))
                CALL(EnableClientState, array);
            else
                CALL(DisableClientState, array);
            break;
        }
        // Mesa draws points at the current position when the vertex array is off (GL draws nothing), so
        // the vertex array is always on when arrays are drawn.
        case 5: {
            CALL(EnableClientState, GL_VERTEX_ARRAY);
            const GLenum mode = in.pick(modes);
            const GLint first = in.small(20);
            const GLsizei count = in.small(40) - 1;
            beforeArrayDraw();
            CALL(DrawArrays, mode, first, count);
            afterArrayDraw();
            break;
        }
        default: {
            CALL(EnableClientState, GL_VERTEX_ARRAY);
            GLenum type = in.pick(indexTypes);
            // Mesa's list compiler answers a bad index type with GL_INVALID_VALUE where GL (and Mesa outside
            // lists) says GL_INVALID_ENUM: that one is Mesa's fault, not the layer's, and is left out.
            if (maybeCompiling && type == 0x1234)
                type = GL_UNSIGNED_SHORT;
            const void* at = type == GL_UNSIGNED_BYTE ? static_cast<const void*>(indices)
                                                      : static_cast<const void*>(indexWords());
            const GLenum mode = in.pick(modes);
            const GLsizei count = in.small(40) - 1;
            beforeArrayDraw();
            CALL(DrawElements, mode, count, type, at);
            afterArrayDraw();
            break;
        }
        }
        // Mesa refuses a negative stride but then draws nothing from the array (or black from a colour array)
        // until it takes the next pointer, where GL leaves the array as it was, as the layer does: after one,
        // both sides get the arrays' first pointers again.
        if (stride < 0 && which < 4) {
            CALL(VertexPointer, 4, GL_FLOAT, 0, floats);
            CALL(ColorPointer, 4, GL_FLOAT, 0, floats);
            CALL(TexCoordPointer, 4, GL_FLOAT, 0, floats);
            CALL(NormalPointer, GL_FLOAT, 0, floats);
        }
    }

    // A few matrix products an input: many (a pixel projection applied thirty times over) make a transform
    // so ill-conditioned that the last bit of a product, where Mesa's vertex shader and the layer's CPU round
    // apart, moves a vertex across the window. A list that calls itself, or one that calls it, runs 64 deep,
    // and its products with it: a list being compiled gets either a product or a list call (each list calls
    // one list at most, so only lists that call one can repeat).
    bool productAllowed()
    {
        if (maybeCompiling && compiledListCall)
            return false;
        if (!callCostAllowed(1))
            return false;
        compiledProduct = compiledProduct || maybeCompiling;
        return true;
    }

    // Counts `cost` products against the input's four; a list's products repeat each time it is called and
    // count so, and a call that would pass the budget is left out. glCallLists may reach any list, so it counts
    // the most any list holds, for every name.
    bool callCostAllowed(int cost)
    {
        if (products + cost > 4)
            return false;
        products += cost;
        if (maybeCompiling)
            compilingProducts += cost;
        return true;
    }

    int mostListProducts() const
    {
        int most = 0;
        for (const auto& list : listProducts)
            most = list.second > most ? list.second : most;
        return most;
    }

    void listEnded()
    {
        if (maybeCompiling)
            listProducts[compilingName] = compilingProducts;
    }

    static int fewestVertices(GLenum mode)
    {
        switch (mode) {
        case GL_POINTS: return 1;
        case GL_LINES:
        case GL_LINE_LOOP:
        case GL_LINE_STRIP: return 2;
        case GL_QUADS:
        case GL_QUAD_STRIP: return 4;
        default: return 3;
        }
    }

    bool listCallAllowed()
    {
        if (!maybeCompiling)
            return true;
        if (compiledListCall || compiledProduct)
            return false;
        compiledListCall = true;
        return true;
    }

    void afterArrayDraw()
    {
        // Mesa runs the vertices of an array draw compiled under GL_COMPILE_AND_EXECUTE only later: when the
        // list ends, or after a state call it runs at once (glShadeModel, say), and after a second such draw it
        // refuses the next valid call with GL_INVALID_OPERATION. GL runs them at once, as the layer does; such a
        // list ends right after its draw.
        if (maybeExecuting) {
            listEnded();
            CALL0(EndList);
            maybeCompiling = maybeExecuting = surelyInside = compiledPrimitive = false;
        }
        // GL leaves the current colour, texture coordinate and normal undefined after an array draw where their
        // arrays are on (Mesa's list compiler leaves the last vertex's, its immediate draws the earlier ones):
        // they are given again before anything can read them.
        if (!maybeInside)
            giveAttributes();
    }

    void beforeArrayDraw()
    {
        // Mesa's list compiler draws a compiled array draw with the colour (and the rest) given before the
        // list's last primitive, not that primitive's last vertex's, where a state call comes between the two.
        // GL takes the current ones, as the layer does: a list being compiled gives them again first.
        if (maybeCompiling && !maybeInside)
            giveAttributes();
    }

    void giveAttributes()
    {
        CALL(Color4f, colour[0], colour[1], colour[2], colour[3]);
        CALL(TexCoord2f, texCoord[0], texCoord[1]);
        CALL(Normal3f, normal[0], normal[1], normal[2]);
    }

    static const void* indexWords()
    {
        // Small indices in both 16 and 32 bits: the low half of each word is the index, the rest zero.
        static uint32_t words[512];
        static bool filled = false;
        if (!filled) {
            for (int i = 0; i < 512; ++i)
                words[i] = indices[i] % 32;
            filled = true;
        }
        return words;
    }

    void step()
    {
        ++call;
        // Mesa answers the calls around a primitive compiled under GL_COMPILE_AND_EXECUTE inconsistently (some
        // raise their error at once, some not at all, and some find it still open after its glEnd), so such a
        // list gets no glBegin.
        int op = in.small(40);
        if (maybeExecuting && op < 2)
            op = 3;
        // Inside a primitive: vertices, attributes, glEnd, and a few calls GL refuses there (glEnable,
        // glTranslatef, glBlendFunc, glGetError). Mesa's immediate mode crashes on some others there.
        if (maybeInside) {
            static const int allowed[] = {2, 3, 4, 5, 6, 7, 8, 9, 13, 15, 16, 36, 3, 4};
            op = allowed[op % (sizeof allowed / sizeof allowed[0])];
            // Mesa drops the GL_INVALID_OPERATION compiled into a list (a call refused inside a primitive, a
            // glEnd outside one) when more primitives and an array draw follow it in the list; GL raises it
            // when the list runs, as the layer does. So a list being compiled gets none of those calls, and a
            // glEnd only to close its own primitive (or, where it also runs, one a list it called opened).
            if (maybeCompiling && !maybeExecuting && (op == 13 || op == 15 || op == 16))
                op = 7;
        }
        // A vertex outside glBegin/glEnd is undefined in GL (Mesa keeps it and loses track of its primitives),
        // so vertices come only where a primitive is surely open (not after a list that may have opened one).
        if (op >= 3 && op <= 6 && !surelyInside && !compiledPrimitive)
            op = 7;
        switch (op) {
        case 0:
        case 1: {
            const GLenum mode = in.pick(modes);
            CALL(Begin, mode);
            maybeInside = true;
            verticesInPrimitive = 0;
            vertexForm = in.small(3);
            // Mesa's list compiler loses the state calls and errors compiled into a list (glEnable, say)
            // where a primitive's vertices have more coordinates than an earlier one's and an array draw
            // follows them; it answers the list's call with a spurious GL_INVALID_OPERATION where more
            // primitives follow. So vertices never widen inside a list being compiled.
            if (maybeCompiling) {
                vertexForm = vertexForm < compiledForm ? vertexForm : compiledForm;
                compiledForm = vertexForm;
            }
            primitiveMode = mode;
            if (mode <= GL_POLYGON) {
                if (maybeCompiling)
                    compiledPrimitive = true;
                else
                    surelyInside = true;
            }
            break;
        }
        case 2:
            // (A glEnd outside a primitive is such an error: see above.)
            if (maybeCompiling && !compiledPrimitive && !maybeExecuting) {
                maybeInside = surelyInside = false;
                break;
            }
            // Mesa's immediate mode crashes or misplaces later vertices after an empty primitive: none here.
            // Its list compiler writes past a block of its heap on a compiled primitive with fewer vertices
            // than its mode draws with (a polygon of two, then a quad strip of one): those get enough.
            if (surelyInside && verticesInPrimitive == 0)
                vertex();
            while (compiledPrimitive && verticesInPrimitive < fewestVertices(primitiveMode))
                vertex();
            CALL0(End);
            maybeInside = surelyInside = compiledPrimitive = false;
            break;
        case 3:
        case 4:
        case 5:
        case 6: vertex(); break;
        case 7:
            for (float& c : colour)
                c = in.unit();
            if (!maybeInside) {
                if (in.small(2))
                    CALL(Color4f, colour[0], colour[1], colour[2], colour[3]);
                else
                    CALL(Color4ub, static_cast<GLubyte>(colour[0] * 255), static_cast<GLubyte>(colour[1] * 255),
                         static_cast<GLubyte>(colour[2] * 255), static_cast<GLubyte>(colour[3] * 255));
            }
            break;
        case 8:
            texCoord[0] = in.coord();
            texCoord[1] = in.coord();
            if (!maybeInside)
                CALL(TexCoord2f, texCoord[0], texCoord[1]);
            break;
        case 9:
            for (float& c : normal)
                c = in.coord();
            if (!maybeInside)
                CALL(Normal3f, normal[0], normal[1], normal[2]);
            break;
        case 10: CALL(MatrixMode, in.pick(matrixModes)); break;
        case 11: CALL0(LoadIdentity); break;
        case 12:
            if (in.small(2))
                CALL0(PushMatrix);
            else
                CALL0(PopMatrix);
            break;
        case 13: {
            const int which = in.small(3);
            const float a = in.coord(), b = in.coord(), c = in.coord();
            const float d = which == 1 ? in.coord() : 0;
            if (!productAllowed())
                break;
            switch (which) {
            case 0: CALL(Translatef, a, b, c); break;
            case 1: CALL(Rotatef, a * 90, b, c, d); break;
            default: CALL(Scalef, a, b, c); break;
            }
            break;
        }
        case 14: {
            const int which = in.small(4);
            const float a = which < 2 ? in.unit() : which == 3 ? in.coord() : 0;
            const float b = which == 0 ? in.unit() : which == 3 ? in.coord() : 0;
            const float c = which == 0 ? in.unit() : 0;
            if (!productAllowed())
                break;
            switch (which) {
            case 0: CALL(Ortho, -1 - a, 1, -1, 1 + b, -1, 1 + c); break;
            case 1: CALL(Frustum, -1, 1, -1, 1, 1 + a, 10); break;
            case 2: CALL(Ortho, 0, 64, 0, 64, -1, 1); break;
            default: CALL(Frustum, -1, 1, -1, 1, a, b); break;
            }
            break;
        }
        case 15:
            if (in.small(2))
                CALL(Enable, in.pick(caps));
            else
                CALL(Disable, in.pick(caps));
            break;
        case 16: CALL(BlendFunc, in.pick(factors), in.pick(factors)); break;
        case 17: CALL(DepthFunc, in.pick(depthFuncs)); break;
        case 18:
            if (in.small(2))
                CALL(CullFace, in.pick(faces));
            else
                CALL(FrontFace, in.pick(faces));
            break;
        case 19: CALL(ShadeModel, in.pick<GLenum>({GL_FLAT, GL_SMOOTH, 0x1234})); break;
        case 20:
            switch (in.small(3)) {
            case 0: CALL(ClearColor, in.unit(), in.unit(), in.unit(), in.unit()); break;
            case 1: CALL(ClearDepth, in.unit()); break;
            default:
                CALL(Clear, in.pick<GLbitfield>({GL_COLOR_BUFFER_BIT, GL_DEPTH_BUFFER_BIT,
                                                      GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT, 0x80000000u}));
                break;
            }
            break;
        case 21:
            CALL(Viewport, in.small(40) - 8, in.small(40) - 8, in.small(80) - 4, in.small(80) - 4);
            break;
        case 22:
            if (in.small(4) == 0) {
                CALL(GenTextures, 2, generatedTextures + 2 * in.small(2));
            } else {
                CALL(BindTexture, in.pick<GLenum>({GL_TEXTURE_2D, GL_TEXTURE_2D, GL_TEXTURE_1D, 0x1234}),
                               textureName());
            }
            break;
        case 23:
        case 24: texImage(); break;
        case 25: texSubImage(); break;
        case 26:
            CALL(TexParameteri, in.pick<GLenum>({GL_TEXTURE_2D, GL_TEXTURE_2D, 0x1234}), in.pick(parameters),
                             static_cast<GLint>(in.small(2) ? in.pick(filters) : in.pick(wraps)));
            break;
        case 27: {
            const GLuint name = textureName();
            CALL(DeleteTextures, 1, &name);
            break;
        }
        case 28:
            if (in.small(2)) {
                const GLenum mode = in.pick<GLenum>({GL_COMPILE, GL_COMPILE_AND_EXECUTE, 0x1234});
                const GLuint name = listName();
                CALL(NewList, name, mode);
                // A glNewList GL refuses compiles nothing: a glBegin after it runs at once, and so must get its
                // vertices (Mesa misplaces those of later primitives after an empty one).
                if (name != 0 && mode != 0x1234) {
                    if (!maybeCompiling) {
                        compiledListCall = compiledProduct = false;
                        compiledForm = 2;
                        compilingName = name;
                        compilingProducts = 0;
                    }
                    maybeCompiling = true;
                    maybeExecuting = maybeExecuting || mode == GL_COMPILE_AND_EXECUTE;
                    surelyInside = compiledPrimitive = false;
                }
            } else {
                listEnded();
                CALL0(EndList);
                maybeCompiling = maybeExecuting = surelyInside = compiledPrimitive = false;
            }
            break;
        case 29:
            // Mesa's list compiler crashes on a glCallList inside a primitive being compiled: none there.
            // A list calls one list at most: lists that each call two or more, nested 64 deep as GL allows,
            // would run for ever on both sides.
            switch (maybeCompiling && maybeInside ? 5 : in.small(6)) {
            case 0: {
                const GLuint name = listName();
                if (listCallAllowed() && callCostAllowed(listProducts[name])) {
                    CALL(CallList, name);
                    maybeInside = true;
                    surelyInside = false;
                }
                break;
            }
            case 1: {
                // Mesa's own list compiler crashes on GL_n_BYTES names, so a list being compiled gets none.
                GLenum type = in.pick(listTypes);
                if (maybeCompiling && (type == GL_2_BYTES || type == GL_3_BYTES || type == GL_4_BYTES))
                    type = GL_UNSIGNED_BYTE;
                GLsizei n = in.small(4);
                if (maybeCompiling && n > 1)
                    n = 1;
                if (listCallAllowed() && callCostAllowed(n * mostListProducts())) {
                    CALL(CallLists, n, type, type == GL_FLOAT ? static_cast<const void*>(floats) : pattern);
                    maybeInside = true;
                    surelyInside = false;
                }
                break;
            }
            case 2: CALL(ListBase, in.small(4)); break;
            case 3: CALL(DeleteLists, listName(), in.small(4) - 1); break;
            case 4: generatedLists = CALL(GenLists, in.small(3)); note(generatedLists != 0, false); break;
            default: note(CALL(IsList, listName()), false); break;
            }
            break;
        case 30:
        case 31: clientArrays(); break;
        case 32:
            if (in.small(2))
                CALL(RasterPos2f, in.coord(), in.coord());
            else
                CALL(RasterPos4f, in.coord(), in.coord(), in.coord(), 0.5f + in.unit());
            break;
        case 33: {
            const int w = in.pick(sizes), h = in.pick(sizes);
            // Mesa neither fogs a pixel rectangle nor textures it with the raster position's coordinate (it
            // takes the current one), where GL does both, as the layer does: rectangles come untextured and
            // unfogged.
            CALL(Disable, GL_TEXTURE_2D);
            CALL(Disable, GL_FOG);
            CALL(DrawPixels, w, h, in.pick(formats), GL_UNSIGNED_BYTE, stampedPixels(in.small(64)));
            // After a glDrawPixels at an invalid raster position Mesa draws the next array draws in the
            // current colour of before it, until a state change: the shade model is set to the other and back.
            if (!maybeInside) {
                GLint model = GL_SMOOTH;
                CALL(GetIntegerv, GL_SHADE_MODEL, &model);
                CALL(ShadeModel, model == GL_FLAT ? GL_SMOOTH : GL_FLAT);
                CALL(ShadeModel, static_cast<GLenum>(model));
            }
            break;
        }
        case 34: CALL(PixelStorei, in.pick(pixelStores), in.pick(pixelStoreValues)); break;
        case 35: query(); break;
        case 36: note(CALL0(GetError), false); break;
        case 37: note(CALL(IsTexture, textureName()), false); break;
        case 38: CALL(PolygonOffset, in.coord(), in.coord()); break;
        default:
            CALL(Hint, in.pick<GLenum>({GL_PERSPECTIVE_CORRECTION_HINT, GL_FOG_HINT, 0x1234}),
                    in.pick<GLenum>({GL_NICEST, GL_FASTEST, GL_DONT_CARE, 0x1234}));
            break;
        }
    }

    // Leaves no list compiling and no primitive open, so the picture is complete on both sides.
    void tidy()
    {
        ++call;
        CALL0(End);
        CALL0(EndList);
        note(CALL0(GetError) == GL_INVALID_OPERATION ? 0 : 1, false);   // the first tidy call may err; only that
        while (CALL0(GetError) != GL_NO_ERROR) {
        }
    }
};

// Puts every state the programs touch back to GL's initial values, through GL itself on both sides.
void reset(const Gl11Table& gl)
{
    gl.End();
    gl.EndList();
    for (GLenum mode : {GL_TEXTURE, GL_PROJECTION, GL_MODELVIEW}) {
        gl.MatrixMode(mode);
        for (int i = 0; i < 40; ++i)
            gl.PopMatrix();
        gl.LoadIdentity();
    }
    for (GLenum cap : caps)
        gl.Disable(cap);
    gl.Enable(GL_DITHER);
    gl.BlendFunc(GL_ONE, GL_ZERO);
    gl.DepthFunc(GL_LESS);
    gl.CullFace(GL_BACK);
    gl.FrontFace(GL_CCW);
    gl.ShadeModel(GL_SMOOTH);
    gl.ClearColor(0, 0, 0, 0);
    gl.ClearDepth(1);
    gl.PolygonOffset(0, 0);
    gl.Viewport(0, 0, size, size);
    gl.Color4f(1, 1, 1, 1);
    gl.TexCoord2f(0, 0);
    gl.Normal3f(0, 0, 1);
    for (GLenum array : {GL_VERTEX_ARRAY, GL_COLOR_ARRAY, GL_TEXTURE_COORD_ARRAY, GL_NORMAL_ARRAY})
        gl.DisableClientState(array);
    // GL's initial pointers are null, which Mesa reads when an array is on; the programs get real ones.
    gl.VertexPointer(4, GL_FLOAT, 0, floats);
    gl.ColorPointer(4, GL_FLOAT, 0, floats);
    gl.TexCoordPointer(4, GL_FLOAT, 0, floats);
    gl.NormalPointer(GL_FLOAT, 0, floats);
    gl.PixelStorei(GL_UNPACK_ALIGNMENT, 4);
    gl.PixelStorei(GL_PACK_ALIGNMENT, 4);
    gl.PixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    gl.PixelStorei(GL_UNPACK_SKIP_ROWS, 0);
    gl.PixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
    gl.ListBase(0);
    gl.DeleteLists(1, 64);
    gl.BindTexture(GL_TEXTURE_2D, 0);
    for (GLuint name : textureNames)
        gl.DeleteTextures(1, &name);
    for (GLuint name = 1; name < 64; ++name)
        gl.DeleteTextures(1, &name);
    // The default texture cannot be deleted: its levels are emptied and its parameters restored instead.
    for (int level = 0; level < 8; ++level)
        gl.TexImage2D(GL_TEXTURE_2D, level, GL_RGBA, 0, 0, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST_MIPMAP_LINEAR);
    gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    gl.RasterPos4f(0, 0, 0, 1);
    gl.Clear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    while (gl.GetError() != GL_NO_ERROR) {
    }
}

[[noreturn]] void fail(const char* what, int call, double mesa, double layer)
{
    std::fprintf(stderr, "gl11 differs: %s at call %d: Mesa %.9g, layer %.9g\n", what, call, mesa, layer);
    std::abort();
}

void compareLogs(const std::vector<Entry>& mesa, const std::vector<Entry>& layer)
{
    const size_t n = mesa.size() < layer.size() ? mesa.size() : layer.size();
    for (size_t i = 0; i < n; ++i) {
        const double a = mesa[i].value, b = layer[i].value;
        const bool same = mesa[i].approximate ? std::fabs(a - b) <= 1e-4 * (1 + std::fabs(a)) : a == b;
        if (!same || mesa[i].call != layer[i].call)
            fail("error or query", mesa[i].call, a, b);
    }
    if (mesa.size() != layer.size())
        fail("log length", 0, static_cast<double>(mesa.size()), static_cast<double>(layer.size()));
}

void comparePictures(const std::vector<unsigned char>& mesa, const std::vector<unsigned char>& layer)
{
    std::string why;
    if (!gl11PicturesMatch(mesa, layer, size, &why)) {
        std::fprintf(stderr, "gl11 differs: picture: %s\n", why.c_str());
        if (std::getenv("GL11_DUMP"))
            std::fprintf(stderr, "%s", gl11PictureMap(mesa, layer, size).c_str());
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t bytes)
{
    static bool ready = false;
    if (!ready) {
        fillPatterns();
        if (!gl11PairOpen(size, size))
            std::abort();
        ready = true;
    }
    static uint32_t inputs = 0;
    const uint32_t serial = ++inputs;
    // GL11_LAST=DIR keeps the last 64 inputs there (last-NN, by serial), for a run that dies later than the
    // input that broke it (a heap Mesa's driver corrupted, found only at a later free).
    if (const char* dir = std::getenv("GL11_LAST")) {
        const std::string path = std::string(dir) + "/last-" + std::to_string(serial % 64);
        if (FILE* f = std::fopen(path.c_str(), "wb")) {
            std::fwrite(data, 1, bytes, f);
            std::fclose(f);
        }
    }
    std::vector<Entry> logs[2];
    std::vector<unsigned char> pictures[2];
    for (GlSide side : {GlSide::mesa, GlSide::layer}) {
        const Gl11Table& gl = gl11PairUse(side);
        reset(gl);
        Program program(gl, data, bytes, serial);
        program.run();
        const int at = static_cast<int>(side);
        logs[at] = program.log;
        pictures[at] = gl11PairRead(gl, size, size);
    }
    compareLogs(logs[0], logs[1]);
    comparePictures(pictures[0], pictures[1]);
    return 0;
}
