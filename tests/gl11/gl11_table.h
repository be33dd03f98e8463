// SPDX-License-Identifier: MIT
// A table of the OpenGL 1.1 entry points the layer implements, filled either with Mesa's own (a desktop GL
// compatibility context, through eglGetProcAddress) or with the layer's functions, so that one GL 1.1 call
// sequence written against the table draws on either side in one process. The list is the layer's: a function
// the layer gains is one more line here (and in gl11_names.h, for code written with the plain names).
#pragma once

#include <GL/gl.h>

// X(return type, name without "gl", parameter list)
#define GL11_ENTRIES(X)                                                                                        \
    X(void, Begin, (GLenum mode))                                                                              \
    X(void, BindTexture, (GLenum target, GLuint texture))                                                      \
    X(void, BlendFunc, (GLenum sfactor, GLenum dfactor))                                                       \
    X(void, CallList, (GLuint list))                                                                           \
    X(void, CallLists, (GLsizei n, GLenum type, const GLvoid* lists))                                          \
    X(void, Clear, (GLbitfield mask))                                                                          \
    X(void, ClearColor, (GLclampf red, GLclampf green, GLclampf blue, GLclampf alpha))                         \
    X(void, ClearDepth, (GLclampd depth))                                                                      \
    X(void, Color3d, (GLdouble red, GLdouble green, GLdouble blue))                                            \
    X(void, Color3f, (GLfloat red, GLfloat green, GLfloat blue))                                               \
    X(void, Color3fv, (const GLfloat* v))                                                                      \
    X(void, Color3ub, (GLubyte red, GLubyte green, GLubyte blue))                                              \
    X(void, Color4d, (GLdouble red, GLdouble green, GLdouble blue, GLdouble alpha))                            \
    X(void, Color4f, (GLfloat red, GLfloat green, GLfloat blue, GLfloat alpha))                                \
    X(void, Color4fv, (const GLfloat* v))                                                                      \
    X(void, Color4ub, (GLubyte red, GLubyte green, GLubyte blue, GLubyte alpha))                               \
    X(void, ColorPointer, (GLint size, GLenum type, GLsizei stride, const GLvoid* ptr))                        \
    X(void, CullFace, (GLenum mode))                                                                           \
    X(void, DeleteLists, (GLuint list, GLsizei range))                                                         \
    X(void, DeleteTextures, (GLsizei n, const GLuint* textures))                                               \
    X(void, DepthFunc, (GLenum func))                                                                          \
    X(void, Disable, (GLenum cap))                                                                             \
    X(void, DisableClientState, (GLenum cap))                                                                  \
    X(void, DrawArrays, (GLenum mode, GLint first, GLsizei count))                                             \
    X(void, DrawElements, (GLenum mode, GLsizei count, GLenum type, const GLvoid* indices))                    \
    X(void, DrawPixels, (GLsizei width, GLsizei height, GLenum format, GLenum type, const GLvoid* pixels))     \
    X(void, Enable, (GLenum cap))                                                                              \
    X(void, EnableClientState, (GLenum cap))                                                                   \
    X(void, End, (void))                                                                                       \
    X(void, EndList, (void))                                                                                   \
    X(void, Finish, (void))                                                                                    \
    X(void, Flush, (void))                                                                                     \
    X(void, FrontFace, (GLenum mode))                                                                          \
    X(void, Frustum, (GLdouble left, GLdouble right, GLdouble bottom, GLdouble top, GLdouble near_val,         \
      GLdouble far_val))                                                                                       \
    X(GLuint, GenLists, (GLsizei range))                                                                       \
    X(void, GenTextures, (GLsizei n, GLuint* textures))                                                        \
    X(void, GetBooleanv, (GLenum pname, GLboolean* params))                                                    \
    X(void, GetDoublev, (GLenum pname, GLdouble* params))                                                      \
    X(GLenum, GetError, (void))                                                                                \
    X(void, GetFloatv, (GLenum pname, GLfloat* params))                                                        \
    X(void, GetIntegerv, (GLenum pname, GLint* params))                                                        \
    X(void, Hint, (GLenum target, GLenum mode))                                                                \
    X(GLboolean, IsEnabled, (GLenum cap))                                                                      \
    X(GLboolean, IsList, (GLuint list))                                                                        \
    X(GLboolean, IsTexture, (GLuint texture))                                                                  \
    X(void, ListBase, (GLuint base))                                                                           \
    X(void, LoadIdentity, (void))                                                                              \
    X(void, LoadMatrixd, (const GLdouble* m))                                                                  \
    X(void, LoadMatrixf, (const GLfloat* m))                                                                   \
    X(void, MatrixMode, (GLenum mode))                                                                         \
    X(void, MultMatrixd, (const GLdouble* m))                                                                  \
    X(void, MultMatrixf, (const GLfloat* m))                                                                   \
    X(void, NewList, (GLuint list, GLenum mode))                                                               \
    X(void, Normal3f, (GLfloat nx, GLfloat ny, GLfloat nz))                                                    \
    X(void, NormalPointer, (GLenum type, GLsizei stride, const GLvoid* ptr))                                   \
    X(void, Ortho, (GLdouble left, GLdouble right, GLdouble bottom, GLdouble top, GLdouble near_val,           \
      GLdouble far_val))                                                                                       \
    X(void, PixelStoref, (GLenum pname, GLfloat param))                                                        \
    X(void, PixelStorei, (GLenum pname, GLint param))                                                          \
    X(void, PolygonOffset, (GLfloat factor, GLfloat units))                                                    \
    X(void, PopMatrix, (void))                                                                                 \
    X(void, PushMatrix, (void))                                                                                \
    X(void, RasterPos2d, (GLdouble x, GLdouble y))                                                             \
    X(void, RasterPos2f, (GLfloat x, GLfloat y))                                                               \
    X(void, RasterPos2i, (GLint x, GLint y))                                                                   \
    X(void, RasterPos3f, (GLfloat x, GLfloat y, GLfloat z))                                                    \
    X(void, RasterPos4f, (GLfloat x, GLfloat y, GLfloat z, GLfloat w))                                         \
    X(void, ReadPixels, (GLint x, GLint y, GLsizei width, GLsizei height, GLenum format, GLenum type,          \
      GLvoid* pixels))                                                                                         \
    X(void, Rotated, (GLdouble angle, GLdouble x, GLdouble y, GLdouble z))                                     \
    X(void, Rotatef, (GLfloat angle, GLfloat x, GLfloat y, GLfloat z))                                         \
    X(void, Scaled, (GLdouble x, GLdouble y, GLdouble z))                                                      \
    X(void, Scalef, (GLfloat x, GLfloat y, GLfloat z))                                                         \
    X(void, ShadeModel, (GLenum mode))                                                                         \
    X(void, TexCoord2d, (GLdouble s, GLdouble t))                                                              \
    X(void, TexCoord2f, (GLfloat s, GLfloat t))                                                                \
    X(void, TexCoord2fv, (const GLfloat* v))                                                                   \
    X(void, TexCoord2i, (GLint s, GLint t))                                                                    \
    X(void, TexCoordPointer, (GLint size, GLenum type, GLsizei stride, const GLvoid* ptr))                     \
    X(void, TexImage2D, (GLenum target, GLint level, GLint internalFormat, GLsizei width, GLsizei height,      \
      GLint border, GLenum format, GLenum type, const GLvoid* pixels))                                         \
    X(void, TexParameterf, (GLenum target, GLenum pname, GLfloat param))                                       \
    X(void, TexParameteri, (GLenum target, GLenum pname, GLint param))                                         \
    X(void, TexSubImage2D, (GLenum target, GLint level, GLint xoffset, GLint yoffset, GLsizei width,           \
      GLsizei height, GLenum format, GLenum type, const GLvoid* pixels))                                       \
    X(void, Translated, (GLdouble x, GLdouble y, GLdouble z))                                                  \
    X(void, Translatef, (GLfloat x, GLfloat y, GLfloat z))                                                     \
    X(void, Vertex2d, (GLdouble x, GLdouble y))                                                                \
    X(void, Vertex2f, (GLfloat x, GLfloat y))                                                                  \
    X(void, Vertex2fv, (const GLfloat* v))                                                                     \
    X(void, Vertex2i, (GLint x, GLint y))                                                                      \
    X(void, Vertex3d, (GLdouble x, GLdouble y, GLdouble z))                                                    \
    X(void, Vertex3f, (GLfloat x, GLfloat y, GLfloat z))                                                       \
    X(void, Vertex3fv, (const GLfloat* v))                                                                     \
    X(void, Vertex3i, (GLint x, GLint y, GLint z))                                                             \
    X(void, Vertex4f, (GLfloat x, GLfloat y, GLfloat z, GLfloat w))                                            \
    X(void, VertexPointer, (GLint size, GLenum type, GLsizei stride, const GLvoid* ptr))                       \
    X(void, Viewport, (GLint x, GLint y, GLsizei width, GLsizei height))

struct Gl11Table {
#define GL11_MEMBER(ret, name, params) ret(*name) params = nullptr;
    GL11_ENTRIES(GL11_MEMBER)
#undef GL11_MEMBER
};

// The layer's own functions (the plain GL names this process takes from platform/gl11/).
Gl11Table gl11LayerTable();
// Mesa's entry points, through eglGetProcAddress (GLVND's dispatch stubs: they call whichever desktop GL
// context is current). False when one is missing.
bool gl11MesaTable(Gl11Table& table);
// The table of the side being drawn, for code written with the plain names (gl11_names.h); DualGl::use sets it.
extern const Gl11Table* gl11;
