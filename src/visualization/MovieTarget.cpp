#include "visualization/MovieTarget.h"

#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glext.h>

namespace {

int bound_framebuffer() {
    GLint bound = 0;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &bound);
    return bound;
}

}  // namespace

MovieTarget::MovieTarget(movie::FrameSize size) : window_(bound_framebuffer()), target_(size.width, size.height) {
    target_.bind();
}

MovieTarget::~MovieTarget() { glBindFramebuffer(GL_FRAMEBUFFER, static_cast<GLuint>(window_)); }

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
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, static_cast<GLuint>(window_));
    glViewport(0, 0, client_width, client_height);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    // OpenGL counts rows from the bottom: the top-left corner starts
    // client_height - height rows up.
    const int top = client_height - target_.height();
    glBlitFramebuffer(0, 0, target_.width(), target_.height(), 0, top, target_.width(), top + target_.height(),
                      GL_COLOR_BUFFER_BIT, GL_NEAREST);
}
