// The WebGL calls the OpenGL 1.1 stand-in makes, through emscripten's emscripten_glXxx aliases: the stand-in
// itself defines the plain GL names the program calls, so it cannot reach WebGL through them.
#pragma once

#include <GL/gl.h>

#include <cstddef>

extern "C" {
void emscripten_glEnable(GLenum cap);
void emscripten_glDisable(GLenum cap);
void emscripten_glBlendFunc(GLenum sfactor, GLenum dfactor);
void emscripten_glDepthFunc(GLenum func);
void emscripten_glCullFace(GLenum mode);
void emscripten_glFrontFace(GLenum mode);
void emscripten_glViewport(GLint x, GLint y, GLsizei width, GLsizei height);
void emscripten_glClearColor(GLfloat r, GLfloat g, GLfloat b, GLfloat a);
void emscripten_glClearDepthf(GLfloat depth);
void emscripten_glClear(GLbitfield mask);
void emscripten_glFlush(void);
void emscripten_glFinish(void);
GLenum emscripten_glGetError(void);
void emscripten_glGetIntegerv(GLenum pname, GLint* data);
void emscripten_glPixelStorei(GLenum pname, GLint param);
void emscripten_glReadPixels(GLint x, GLint y, GLsizei width, GLsizei height, GLenum format, GLenum type,
                             void* pixels);

void emscripten_glGenTextures(GLsizei n, GLuint* textures);
void emscripten_glDeleteTextures(GLsizei n, const GLuint* textures);
void emscripten_glBindTexture(GLenum target, GLuint texture);
void emscripten_glActiveTexture(GLenum texture);
void emscripten_glTexParameteri(GLenum target, GLenum pname, GLint param);
void emscripten_glTexImage2D(GLenum target, GLint level, GLint internalformat, GLsizei width, GLsizei height,
                             GLint border, GLenum format, GLenum type, const void* pixels);
void emscripten_glTexSubImage2D(GLenum target, GLint level, GLint x, GLint y, GLsizei width, GLsizei height,
                                GLenum format, GLenum type, const void* pixels);

GLuint emscripten_glCreateShader(GLenum type);
void emscripten_glShaderSource(GLuint shader, GLsizei count, const char* const* string, const GLint* length);
void emscripten_glCompileShader(GLuint shader);
void emscripten_glGetShaderiv(GLuint shader, GLenum pname, GLint* params);
void emscripten_glGetShaderInfoLog(GLuint shader, GLsizei size, GLsizei* length, char* log);
GLuint emscripten_glCreateProgram(void);
void emscripten_glAttachShader(GLuint program, GLuint shader);
void emscripten_glBindAttribLocation(GLuint program, GLuint index, const char* name);
void emscripten_glLinkProgram(GLuint program);
void emscripten_glGetProgramiv(GLuint program, GLenum pname, GLint* params);
void emscripten_glUseProgram(GLuint program);
GLint emscripten_glGetUniformLocation(GLuint program, const char* name);
void emscripten_glUniform1i(GLint location, GLint value);

void emscripten_glGenBuffers(GLsizei n, GLuint* buffers);
void emscripten_glBindBuffer(GLenum target, GLuint buffer);
void emscripten_glBufferData(GLenum target, std::ptrdiff_t size, const void* data, GLenum usage);
void emscripten_glBufferSubData(GLenum target, std::ptrdiff_t offset, std::ptrdiff_t size, const void* data);
void emscripten_glEnableVertexAttribArray(GLuint index);
void emscripten_glVertexAttribPointer(GLuint index, GLint size, GLenum type, GLboolean normalized, GLsizei stride,
                                      const void* pointer);
void emscripten_glDrawArrays(GLenum mode, GLint first, GLsizei count);
}

// The WebGL names the stand-in needs that the GL 1.1 header lacks.
#define WEBGL_ARRAY_BUFFER 0x8892
#define WEBGL_STREAM_DRAW 0x88E0
#define WEBGL_FRAGMENT_SHADER 0x8B30
#define WEBGL_VERTEX_SHADER 0x8B31
#define WEBGL_COMPILE_STATUS 0x8B81
#define WEBGL_LINK_STATUS 0x8B82
#define WEBGL_TEXTURE0 0x84C0
#define WEBGL_CLAMP_TO_EDGE 0x812F
