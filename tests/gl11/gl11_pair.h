// SPDX-License-Identifier: MIT
// Two renderers of the same OpenGL 1.1 calls in one process: Mesa's own GL 1.1 (a compatibility context) and
// the OpenGL 1.1 layer over Mesa's GLES 3, both on llvmpipe and both on a small surfaceless pbuffer. The
// program calls either through a table of entry points: Mesa's come from eglGetProcAddress (the process links
// no libGL), the layer's are its plain GL names. Any difference between the two pictures is the layer's.
#pragma once

#include <GL/gl.h>

#include <string>
#include <vector>

// X(name): the GL 1.1 entry points the table holds.
#define GL11_PAIR_ENTRIES(X)                                                                                 \
    X(Begin) X(End) X(Vertex2f) X(Vertex3f) X(Vertex4f) X(Color4f) X(Color4ub) X(Color3f) X(TexCoord2f)      \
    X(Normal3f) X(MatrixMode) X(LoadIdentity) X(PushMatrix) X(PopMatrix) X(Translatef) X(Rotatef) X(Scalef)  \
    X(Ortho) X(Frustum) X(LoadMatrixf) X(MultMatrixf) X(Enable) X(Disable) X(IsEnabled) X(BlendFunc)         \
    X(DepthFunc) X(CullFace) X(FrontFace) X(ShadeModel) X(ClearColor) X(ClearDepth) X(Clear) X(Viewport)     \
    X(GenTextures) X(BindTexture) X(DeleteTextures) X(IsTexture) X(TexImage2D) X(TexSubImage2D)            \
    X(TexParameteri) X(NewList) X(EndList) X(CallList) X(CallLists) X(ListBase) X(DeleteLists) X(GenLists)  \
    X(IsList) X(EnableClientState) X(DisableClientState) X(VertexPointer) X(ColorPointer) X(TexCoordPointer) \
    X(NormalPointer) X(DrawArrays) X(DrawElements) X(RasterPos2f) X(RasterPos4f) X(DrawPixels)              \
    X(PixelStorei) X(GetError) X(GetIntegerv) X(GetFloatv) X(GetDoublev) X(GetBooleanv) X(ReadPixels)       \
    X(Finish) X(Hint) X(PolygonOffset)

struct Gl11Api {
#define GL11_PAIR_MEMBER(name) decltype(&::gl##name) name = nullptr;
    GL11_PAIR_ENTRIES(GL11_PAIR_MEMBER)
#undef GL11_PAIR_MEMBER
};

enum class Gl11Side { mesa, layer };

// Opens both contexts (once per process) with width x height pbuffers; false, with a message printed, when
// EGL, Mesa's compatibility profile or GLES 3 is missing.
bool gl11PairOpen(int width, int height);
// Starts the layer afresh on its context as over GLES 2 (WebGL 1) or 3 (WebGL 2): GLES 2's limits, such as
// its clamped non-power-of-two textures, then hold even though the context underneath is GLES 3.
bool gl11PairLayerAs(int glesMajorVersion);
// Makes the side's context current and returns its table.
const Gl11Api& gl11PairUse(Gl11Side side);
// The side's whole pbuffer, RGBA, bottom row first (what glReadPixels gives).
std::vector<unsigned char> gl11PairRead(const Gl11Api& gl, int width, int height);

// The bound the two pictures are held to: within 2 levels a channel, except on edges, where a pixel may take
// the value of a neighbour in the other picture (an edge moved by the layer's transform on the CPU), on at most
// 2 % of the pixels. False, with the first pixel beyond it in why, otherwise.
const int gl11InsideTolerance = 2;
bool gl11PicturesMatch(const std::vector<unsigned char>& mesa, const std::vector<unsigned char>& layer, int size,
                       std::string* why);
// A map of the differences for reading a failure: o drawn alike, M drawn by Mesa, L by the layer only.
std::string gl11PictureMap(const std::vector<unsigned char>& mesa, const std::vector<unsigned char>& layer,
                           int size);
