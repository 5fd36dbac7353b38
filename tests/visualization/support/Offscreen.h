#pragma once
// A context of its own and a framebuffer for tests that draw: Mesa's
// software rasteriser, so that pixels are the same on every machine.
#include <array>
#include <cstdint>
#include <cstdlib>
#include <ostream>
#include <memory>
#include <utility>

#include "visualization/CVector.h"
#include "visualization/EglContext.h"
#include "visualization/Framebuffer.h"
#include "visualization/Image.h"

namespace visualization_testing {

class Offscreen {
public:
    Offscreen(int width, int height)
        : context_((::setenv("LIBGL_ALWAYS_SOFTWARE", "1", 1), std::make_unique<EglContext>())),
          target_(std::make_unique<Framebuffer>(width, height)) {
        target_->bind();
    }

    int width() const { return target_->width(); }
    int height() const { return target_->height(); }
    Image read() const { return target_->read(); }

    // The pixel (column, row from the top) where world point `p` lands under
    // the projection now loaded (the model-view matrix is the identity).
    std::pair<int, int> pixel_of(const CVector& p) const;

private:
    std::unique_ptr<EglContext> context_;
    std::unique_ptr<Framebuffer> target_;  // destroyed first, on its context
};

// Pixel tests: plainly red, green, blue, white, yellow, or black.
enum class Hue { black, red, green, blue, white, yellow, other };
Hue hue_of(const std::array<std::uint8_t, 3>& rgb);
const char* hue_name(Hue hue);
inline void PrintTo(Hue hue, std::ostream* out) { *out << hue_name(hue); }

// How many pixels of `image` have hue `hue` in the rows [top, bottom).
int count_hue(const Image& image, Hue hue, int top, int bottom);
inline int count_hue(const Image& image, Hue hue) { return count_hue(image, hue, 0, image.height); }

}  // namespace visualization_testing
