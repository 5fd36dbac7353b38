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
    // target. Throws GlError when the context cannot make it, the
    // remembered framebuffer bound again. Going, it binds that one again.
    explicit MovieTarget(movie::FrameSize size);
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
    // Binds the framebuffer that was bound at its making again when it goes.
    class Rebinding {
    public:
        Rebinding();
        ~Rebinding();
        Rebinding(const Rebinding&) = delete;
        Rebinding& operator=(const Rebinding&) = delete;
        unsigned framebuffer() const { return framebuffer_; }

    private:
        unsigned framebuffer_;  // 0: the window's own
    };

    Rebinding window_;  // made before the target, so it rebinds last
    Framebuffer target_;
};
