#include "visualization/MovieTarget.h"

#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glext.h>

namespace {

unsigned bound_framebuffer() {
    GLint bound = 0;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &bound);
    return static_cast<unsigned>(bound);
}

}  // namespace

MovieTarget::Rebinding::Rebinding() : framebuffer_(bound_framebuffer()) {}

MovieTarget::Rebinding::~Rebinding() { glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_); }

MovieTarget::MovieTarget(movie::FrameSize size) : target_(size.width, size.height) { target_.bind(); }

movie::DibImage MovieTarget::read() const {
    target_.bind();
    movie::DibImage frame = movie::make_dib_image(target_.width(), target_.height());
    // Rows padded to 4 bytes, bottom row first: the bitmap's own layout.
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glReadPixels(0, 0, frame.width, frame.height, GL_BGR, GL_UNSIGNED_BYTE, frame.pixels.data());
    return frame;
}

void MovieTarget::show(int client_width, int client_height) const {
    target_.bind();
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, window_.framebuffer());
    glViewport(0, 0, client_width, client_height);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    // OpenGL counts rows from the bottom: the top-left corner starts
    // client_height - height rows up.
    const int top = client_height - target_.height();
    glBlitFramebuffer(0, 0, target_.width(), target_.height(), 0, top, target_.width(), top + target_.height(),
                      GL_COLOR_BUFFER_BIT, GL_NEAREST);
}
