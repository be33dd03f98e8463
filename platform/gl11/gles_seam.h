// SPDX-License-Identifier: MIT
// The layer's only contact with the GLES 2 / GLES 3 class API beneath it (WebGL in the browser, Mesa's GLES
// natively): a table of the entry points it calls, filled once per context by one of two seams. The layer itself
// defines the plain GL names the program calls, so it cannot reach the API beneath through them.
//   gles_seam_emscripten.cpp: emscripten's gles.Xxx aliases (WebGL).
//   gles_seam_egl.cpp: eglGetProcAddress on the current GLES context.
#pragma once

#include <GL/gl.h>

#include <cstddef>

// X(return type, name without "gl", parameter list)
#define GLES_SEAM_ENTRIES(X)                                                                                   \
    X(void, Enable, (GLenum cap))                                                                              \
    X(void, Disable, (GLenum cap))                                                                             \
    X(void, BlendFunc, (GLenum sfactor, GLenum dfactor))                                                       \
    X(void, DepthFunc, (GLenum func))                                                                          \
    X(void, CullFace, (GLenum mode))                                                                           \
    X(void, FrontFace, (GLenum mode))                                                                          \
    X(void, Viewport, (GLint x, GLint y, GLsizei width, GLsizei height))                                       \
    X(void, ClearColor, (GLfloat r, GLfloat g, GLfloat b, GLfloat a))                                          \
    X(void, ClearDepthf, (GLfloat depth))                                                                      \
    X(void, Clear, (GLbitfield mask))                                                                          \
    X(void, Flush, (void))                                                                                     \
    X(void, Finish, (void))                                                                                    \
    X(GLenum, GetError, (void))                                                                                \
    X(void, GetIntegerv, (GLenum pname, GLint* data))                                                          \
    X(void, PixelStorei, (GLenum pname, GLint param))                                                          \
    X(void, ReadPixels, (GLint x, GLint y, GLsizei width, GLsizei height, GLenum format, GLenum type,          \
      void* pixels))                                                                                           \
    X(void, GenTextures, (GLsizei n, GLuint* textures))                                                        \
    X(void, DeleteTextures, (GLsizei n, const GLuint* textures))                                               \
    X(void, BindTexture, (GLenum target, GLuint texture))                                                      \
    X(void, ActiveTexture, (GLenum texture))                                                                   \
    X(void, TexParameteri, (GLenum target, GLenum pname, GLint param))                                         \
    X(void, TexImage2D, (GLenum target, GLint level, GLint internalformat, GLsizei width, GLsizei height,      \
      GLint border, GLenum format, GLenum type, const void* pixels))                                           \
    X(void, TexSubImage2D, (GLenum target, GLint level, GLint x, GLint y, GLsizei width, GLsizei height,       \
      GLenum format, GLenum type, const void* pixels))                                                         \
    X(GLuint, CreateShader, (GLenum type))                                                                     \
    X(void, ShaderSource, (GLuint shader, GLsizei count, const char* const* string, const GLint* length))      \
    X(void, CompileShader, (GLuint shader))                                                                    \
    X(void, GetShaderiv, (GLuint shader, GLenum pname, GLint* params))                                         \
    X(void, GetShaderInfoLog, (GLuint shader, GLsizei size, GLsizei* length, char* log))                       \
    X(GLuint, CreateProgram, (void))                                                                           \
    X(void, AttachShader, (GLuint program, GLuint shader))                                                     \
    X(void, BindAttribLocation, (GLuint program, GLuint index, const char* name))                              \
    X(void, LinkProgram, (GLuint program))                                                                     \
    X(void, GetProgramiv, (GLuint program, GLenum pname, GLint* params))                                       \
    X(void, UseProgram, (GLuint program))                                                                      \
    X(GLint, GetUniformLocation, (GLuint program, const char* name))                                           \
    X(void, Uniform1i, (GLint location, GLint value))                                                          \
    X(void, Uniform1f, (GLint location, GLfloat value))                                                        \
    X(void, Uniform3f, (GLint location, GLfloat x, GLfloat y, GLfloat z))                                      \
    X(void, Uniform4f, (GLint location, GLfloat x, GLfloat y, GLfloat z, GLfloat w))                           \
    X(void, PolygonOffset, (GLfloat factor, GLfloat units))                                                    \
    X(void, GenBuffers, (GLsizei n, GLuint* buffers))                                                          \
    X(void, BindBuffer, (GLenum target, GLuint buffer))                                                        \
    X(void, BufferData, (GLenum target, std::ptrdiff_t size, const void* data, GLenum usage))                  \
    X(void, BufferSubData, (GLenum target, std::ptrdiff_t offset, std::ptrdiff_t size, const void* data))      \
    X(void, EnableVertexAttribArray, (GLuint index))                                                           \
    X(void, VertexAttribPointer, (GLuint index, GLint size, GLenum type, GLboolean normalized, GLsizei stride, \
      const void* pointer))                                                                                    \
    X(void, DrawArrays, (GLenum mode, GLint first, GLsizei count))

struct GlesEntries {
#define GLES_SEAM_MEMBER(ret, name, params) ret(*name) params = nullptr;
    GLES_SEAM_ENTRIES(GLES_SEAM_MEMBER)
#undef GLES_SEAM_MEMBER
};

// The entry points of the context the layer was last made ready on.
extern GlesEntries gles;

// Fills gles from the GLES context current now; false (with the missing name on stdout) when one is missing.
bool glesSeamLoad();

// The GLES names the layer needs that the GL 1.1 header lacks.
#define GLES_ARRAY_BUFFER 0x8892
#define GLES_STREAM_DRAW 0x88E0
#define GLES_FRAGMENT_SHADER 0x8B30
#define GLES_VERTEX_SHADER 0x8B31
#define GLES_COMPILE_STATUS 0x8B81
#define GLES_LINK_STATUS 0x8B82
#define GLES_TEXTURE0 0x84C0
#define GLES_CLAMP_TO_EDGE 0x812F
