#pragma once
// Where one draw of a recording view goes: an off-screen framebuffer of the
// movie's size on the current context, bound while the target lives. It is
// made anew for every draw, so no OpenGL object outlives the draw and the
// recording can end, or its view go, whatever context is current then.
#include "visualization/Framebuffer.h"
#include "visualization/movie/DibImage.h"
#include "visualization/movie/FrameSize.h"

class MovieTarget {
public:
    // Remembers the framebuffer bound now (the window's) and binds the
    // target. Throws GlError when the context cannot make it.
    explicit MovieTarget(movie::FrameSize size);
    // Binds the remembered framebuffer again.
    ~MovieTarget();
    MovieTarget(const MovieTarget&) = delete;
    MovieTarget& operator=(const MovieTarget&) = delete;

    // What has been drawn, as a movie frame: blue, green, red, rows from
    // the bottom.
    movie::DibImage read() const;
    // Copies the picture into the top-left corner of the remembered
    // framebuffer, of client width × height pixels; the rest of it (the
    // columns and row the movie's size rounds away) is cleared.
    void show(int client_width, int client_height) const;

private:
    int window_;  // the framebuffer bound before, 0 for the window's own
    Framebuffer target_;
};
