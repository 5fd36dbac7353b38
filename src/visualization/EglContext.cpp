#include "visualization/EglContext.h"

#include <EGL/eglext.h>

#include <cstring>
#include <mutex>

#include "visualization/GlError.h"

namespace {

bool has_extension(const char* extensions, const char* name) {
    if (extensions == nullptr) return false;
    const std::size_t length = std::strlen(name);
    for (const char* at = std::strstr(extensions, name); at != nullptr; at = std::strstr(at + 1, name))
        if ((at == extensions || at[-1] == ' ') && (at[length] == ' ' || at[length] == '\0')) return true;
    return false;
}

EGLDisplay open_display() {
    const char* client = eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS);
    if (!has_extension(client, "EGL_MESA_platform_surfaceless"))
        throw GlError("EGL has no surfaceless platform", static_cast<unsigned>(eglGetError()));
    EGLDisplay display = eglGetPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
    if (display == EGL_NO_DISPLAY)
        throw GlError("no surfaceless EGL display", static_cast<unsigned>(eglGetError()));
    if (eglInitialize(display, nullptr, nullptr) != EGL_TRUE)
        throw GlError("EGL display cannot be initialised", static_cast<unsigned>(eglGetError()));
    return display;
}

// The process's one display, opened by the first context.
EGLDisplay shared_display() {
    static std::mutex mutex;
    static EGLDisplay display = EGL_NO_DISPLAY;
    const std::lock_guard lock(mutex);
    if (display == EGL_NO_DISPLAY) display = open_display();
    return display;
}

}  // namespace

EglContext::EglContext() : display_(shared_display()) {
    if (!has_extension(eglQueryString(display_, EGL_EXTENSIONS), "EGL_KHR_surfaceless_context"))
        throw GlError("EGL display cannot make a context current without a surface", 0);
    if (eglBindAPI(EGL_OPENGL_API) != EGL_TRUE)
        throw GlError("EGL has no desktop OpenGL", static_cast<unsigned>(eglGetError()));
    // Surfaceless displays offer configurations for off-screen surfaces only;
    // nothing is drawn into the surface kind anyway.
    const EGLint config_attributes[] = {EGL_SURFACE_TYPE, EGL_PBUFFER_BIT, EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT, EGL_NONE};
    EGLConfig config = nullptr;
    EGLint configs = 0;
    if (eglChooseConfig(display_, config_attributes, &config, 1, &configs) != EGL_TRUE || configs < 1)
        throw GlError("no EGL configuration for desktop OpenGL", static_cast<unsigned>(eglGetError()));
    context_ = eglCreateContext(display_, config, EGL_NO_CONTEXT, nullptr);
    if (context_ == EGL_NO_CONTEXT)
        throw GlError("EGL context cannot be created", static_cast<unsigned>(eglGetError()));
    try {
        make_current();
    } catch (...) {
        eglDestroyContext(display_, context_);
        throw;
    }
}

EglContext::~EglContext() {
    if (eglGetCurrentContext() == context_) eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    eglDestroyContext(display_, context_);
}

void EglContext::make_current() const {
    if (eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, context_) != EGL_TRUE)
        throw GlError("EGL context cannot be made current", static_cast<unsigned>(eglGetError()));
}
