#pragma once
// One movie frame as the off-screen target leaves it: a 24-bit
// device-independent bitmap.
//
// Rows run bottom-up (the first row in memory is the bottom of the picture,
// as OpenGL reads pixels back), each `width` pixels of blue, green and red
// bytes, padded to a multiple of 4 bytes: `glReadPixels(0, 0, width, height,
// GL_BGR, GL_UNSIGNED_BYTE, pixels.data())` with the default pack alignment
// of 4 fills it exactly.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace movie {

struct DibImage {
    int width = 0;                     // pixels
    int height = 0;                    // pixels
    int stride = 0;                    // bytes from the start of one row to the next
    std::vector<std::uint8_t> pixels;  // stride × height bytes
};

// Bytes of one row of `width` pixels, padded to a multiple of 4.
std::size_t dib_stride(int width);

// A black image of the given size with rows padded as above.
DibImage make_dib_image(int width, int height);

// Whether the image is a whole bitmap: a positive size, rows of at least
// `width` pixels padded to a multiple of 4, and exactly `stride` × `height`
// bytes of pixels.
bool is_whole_dib(const DibImage& image);

}  // namespace movie
