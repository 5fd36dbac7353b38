#include "visualization/Framebuffer.h"

#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glext.h>

#include <cstring>
#include <string>

#include "visualization/GlError.h"

Framebuffer::Framebuffer(int width, int height) : width_(width), height_(height) {
    if (width <= 0 || height <= 0)
        throw GlError("no framebuffer can have " + std::to_string(width) + " x " + std::to_string(height) + " pixels", 0);
    glGenFramebuffers(1, &framebuffer_);
    glGenRenderbuffers(1, &colour_);
    glGenRenderbuffers(1, &depth_);
    glBindRenderbuffer(GL_RENDERBUFFER, colour_);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, width, height);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colour_);
    // 32 depth bits where the context offers them, else 24.
    GLenum status = 0;
    for (const GLenum depth_format : {GL_DEPTH_COMPONENT32, GL_DEPTH_COMPONENT24}) {
        glBindRenderbuffer(GL_RENDERBUFFER, depth_);
        glRenderbufferStorage(GL_RENDERBUFFER, depth_format, width, height);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depth_);
        status = glCheckFramebufferStatus(GL_FRAMEBUFFER);
        if (status == GL_FRAMEBUFFER_COMPLETE) break;
    }
    glBindRenderbuffer(GL_RENDERBUFFER, 0);
    if (status != GL_FRAMEBUFFER_COMPLETE) {
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glDeleteRenderbuffers(1, &depth_);
        glDeleteRenderbuffers(1, &colour_);
        glDeleteFramebuffers(1, &framebuffer_);
        throw GlError("framebuffer of " + std::to_string(width) + " x " + std::to_string(height) +
                          " pixels incomplete (its status)",
                      status);
    }
}

Framebuffer::~Framebuffer() {
    GLint bound = 0;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &bound);
    if (static_cast<unsigned>(bound) == framebuffer_) glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glDeleteRenderbuffers(1, &depth_);
    glDeleteRenderbuffers(1, &colour_);
    glDeleteFramebuffers(1, &framebuffer_);
}

void Framebuffer::bind() const { glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_); }

void Framebuffer::unbind() const { glBindFramebuffer(GL_FRAMEBUFFER, 0); }

Image Framebuffer::read() const {
    bind();
    glFinish();
    Image image;
    image.width = width_;
    image.height = height_;
    const std::size_t row = static_cast<std::size_t>(width_) * 3;
    std::vector<std::uint8_t> bottom_up(row * static_cast<std::size_t>(height_));
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width_, height_, GL_RGB, GL_UNSIGNED_BYTE, bottom_up.data());
    image.rgb.resize(bottom_up.size());
    for (int y = 0; y < height_; ++y)
        std::memcpy(image.rgb.data() + row * static_cast<std::size_t>(y),
                    bottom_up.data() + row * static_cast<std::size_t>(height_ - 1 - y), row);
    return image;
}
