// SPDX-License-Identifier: MIT
// Scales captured RGBA pictures into a larger or smaller frame with their aspect kept: the picture is centred
// and the bars beside or above it are black. Whole multiples of the source size are scaled pixel for pixel
// (nearest neighbour keeps the show's hard edges exact); any other size goes through a Lanczos filter.
#pragma once

#include <mutex>
#include <string>
#include <vector>

struct SwsContext;

// Where the scaled picture lies inside the frame. Offsets and sizes are even, so 4:2:0 chroma never straddles
// an edge of the picture.
struct FittedRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};
FittedRect fitPicture(int sourceWidth, int sourceHeight, int frameWidth, int frameHeight);

class FrameScaler {
public:
    ~FrameScaler();
    bool open(int sourceWidth, int sourceHeight, int frameWidth, int frameHeight, std::string& error);
    // rgba: the source picture; out becomes the frame, frameWidth x frameHeight RGBA. Safe on several threads.
    // False only when memory ran out.
    bool scale(const unsigned char* rgba, std::vector<unsigned char>& out);
    bool pixelForPixel() const { return nearest; }
    const FittedRect& picture() const { return rect; }

private:
    SwsContext* take();
    void give(SwsContext* context);

    int sourceWidth = 0;
    int sourceHeight = 0;
    int frameWidth = 0;
    int frameHeight = 0;
    FittedRect rect;
    bool nearest = false;
    std::mutex lock;
    std::vector<SwsContext*> idle;  // a context is used by one thread at a time
};
