#pragma once
// An OpenGL context without any window or display server: EGL on Mesa's
// surfaceless platform (software rendering through llvmpipe where there is
// no graphics device). It has no default framebuffer, so drawing goes into
// a framebuffer object (Framebuffer.h).
//
// The EGL display is opened once for the process and stays open: every
// context shares it, and the driver it loads stays loaded until the process
// ends.
#include <EGL/egl.h>

class EglContext {
public:
    // Creates a desktop OpenGL context (compatibility profile, so display
    // lists and the fixed pipeline are there) and makes it current on this
    // thread. Throws GlError when EGL or the context cannot be had.
    EglContext();
    ~EglContext();
    EglContext(const EglContext&) = delete;
    EglContext& operator=(const EglContext&) = delete;

    // Makes the context current on this thread again.
    void make_current() const;

private:
    EGLDisplay display_;
    EGLContext context_ = EGL_NO_CONTEXT;
};
