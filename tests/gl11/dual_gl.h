// SPDX-License-Identifier: MIT
// The same OpenGL 1.1 calls drawn twice in one process, with the same rasterizer (Mesa's llvmpipe) both times:
// once by Mesa's own GL 1.1 (a desktop compatibility context) and once by the OpenGL 1.1 layer of
// platform/gl11/ over a GLES 3 (or GLES 2) context, each into a pbuffer of its own on Mesa's surfaceless EGL.
// Whatever differs between the two read-backs is the layer's doing, not the rasterizer's.
//
// The process must link libEGL and the layer (whole: its plain GL names are the executable's), and not libGL:
// Mesa's desktop GL is reached only through the pointers of gl11MesaTable. One thread; one DualGl at a time
// (the layer has one global context).
//
// Use, with a call sequence written against the table (the fuzzer's way):
//     DualGl gl;
//     if (!gl.open(64, 64)) { report gl.failure(); }
//     DualRun run = gl.run([](const Gl11Table& t, GlSide) { t.Begin(GL_TRIANGLES); ... return t.GetError(); });
//     PictureDiff d = comparePictures(run.picture[0].data(), run.picture[1].data(), 64, 64);
// or side by side, call by call (comparing glGetError after each):
//     const Gl11Table& mesa = gl.use(GlSide::mesa);  mesa.Enable(GL_BLEND);  GLenum a = mesa.GetError();
//     const Gl11Table& layer = gl.use(GlSide::layer); layer.Enable(GL_BLEND); GLenum b = layer.GetError();
// gl.restart() gives both sides fresh contexts (GL's initial state) for the next sequence. Code written with
// the plain GL names can be compiled against the table with -include tests/gl11/gl11_names.h (the GL cases are).
#pragma once

#include "tests/gl11/gl11_table.h"

#include <functional>
#include <string>
#include <vector>

enum class GlSide { mesa = 0, layer = 1 };

struct DualRun {
    std::vector<unsigned char> picture[2];   // RGBA, rows bottom-up, indexed by GlSide
    GLenum result[2] = {GL_NO_ERROR, GL_NO_ERROR};   // what the sequence returned on each side
};

class DualGl {
public:
    DualGl() = default;
    DualGl(const DualGl&) = delete;
    DualGl& operator=(const DualGl&) = delete;
    ~DualGl() { close(); }

    // Makes both contexts, width x height pixels each (RGBA 8888, 16-bit depth, as the show's window);
    // glesVersion 3 or 2 for the layer's context. False, with failure() saying why, when EGL lacks either.
    bool open(int width, int height, int glesVersion = 3);
    void close();
    // Fresh contexts of the same size for both sides: every GL state back to its initial value.
    bool restart();
    // Starts the layer afresh on its context as over GLES 2 (WebGL 1) or 3 (WebGL 2): GLES 2's limits, such as
    // its clamped non-power-of-two textures, then hold even on a GLES 3 context. Mesa's side is left as it is.
    bool layerAs(int glesVersion);

    // Makes the side's context current and gives its table (valid while this DualGl is open).
    const Gl11Table& use(GlSide side);
    // The current side's whole picture, read back with pack alignment 1 (which is left set).
    std::vector<unsigned char> read();
    // Runs the sequence on Mesa, then on the layer, reading each picture back after it.
    DualRun run(const std::function<GLenum(const Gl11Table&, GlSide)>& sequence);

    int width() const { return width_; }
    int height() const { return height_; }
    const std::string& failure() const { return failure_; }

private:
    bool fail(const char* what);

    int width_ = 0, height_ = 0, glesVersion_ = 3;
    void* display_ = nullptr;
    void* config_[2] = {};
    void* surface_[2] = {};
    void* context_[2] = {};
    bool layerReady_ = false;
    int current_ = -1;
    Gl11Table table_[2];
    std::string failure_;
};
