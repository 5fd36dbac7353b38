#pragma once
// An off-screen drawing target on the current OpenGL context: a framebuffer
// object with a colour buffer of 8 bits per channel and a depth buffer,
// width × height pixels. While it is bound everything drawn goes into it, and
// read() hands the picture back. Destroy it on the context it was made on.
#include "visualization/Image.h"

class Framebuffer {
public:
    // Throws GlError when the context cannot make a complete framebuffer.
    Framebuffer(int width, int height);
    ~Framebuffer();
    Framebuffer(const Framebuffer&) = delete;
    Framebuffer& operator=(const Framebuffer&) = delete;

    int width() const { return width_; }
    int height() const { return height_; }

    // Draws go into this framebuffer until unbind().
    void bind() const;
    // Draws go to the context's own framebuffer (the window's) again.
    void unbind() const;
    // What has been drawn, rows from the top (binds the framebuffer).
    Image read() const;

private:
    int width_;
    int height_;
    unsigned framebuffer_ = 0;
    unsigned colour_ = 0;
    unsigned depth_ = 0;
};
