#include "visualization/movie/DibImage.h"

namespace movie {

std::size_t dib_stride(int width) {
    if (width <= 0) return 0;
    return (static_cast<std::size_t>(width) * 3 + 3) / 4 * 4;
}

DibImage make_dib_image(int width, int height) {
    DibImage image;
    if (width <= 0 || height <= 0) return image;
    image.width = width;
    image.height = height;
    image.stride = static_cast<int>(dib_stride(width));
    image.pixels.assign(static_cast<std::size_t>(image.stride) * static_cast<std::size_t>(height), 0);
    return image;
}

bool is_whole_dib(const DibImage& image) {
    if (image.width <= 0 || image.height <= 0 || image.stride <= 0) return false;
    const auto stride = static_cast<std::size_t>(image.stride);
    if (stride % 4 != 0 || stride < static_cast<std::size_t>(image.width) * 3) return false;
    return image.pixels.size() == stride * static_cast<std::size_t>(image.height);
}

}  // namespace movie
