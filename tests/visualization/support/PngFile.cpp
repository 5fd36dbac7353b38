#include "visualization/support/PngFile.h"

#include <png.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <vector>

#include "utils/File.h"

namespace visualization_testing {

namespace {

// libpng's write structures, released together.
class PngWriter {
public:
    PngWriter() : png_(png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr)) {
        if (png_ != nullptr) info_ = png_create_info_struct(png_);
        if (png_ == nullptr || info_ == nullptr) {
            png_destroy_write_struct(&png_, &info_);
            throw std::runtime_error("libpng cannot start a write");
        }
    }
    ~PngWriter() { png_destroy_write_struct(&png_, &info_); }
    PngWriter(const PngWriter&) = delete;
    PngWriter& operator=(const PngWriter&) = delete;

    png_structp png() const { return png_; }
    png_infop info() const { return info_; }

private:
    png_structp png_;
    png_infop info_ = nullptr;
};

// libpng reports failures by a long jump out of the call; nothing in the
// calls between the jump point and the writes owns a resource.
bool write_rows(const PngWriter& writer, std::FILE* file, const Image& image, png_bytepp rows) {
    if (setjmp(png_jmpbuf(writer.png())) != 0) return false;
    png_init_io(writer.png(), file);
    png_set_IHDR(writer.png(), writer.info(), static_cast<png_uint_32>(image.width),
                 static_cast<png_uint_32>(image.height), 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(writer.png(), writer.info());
    png_write_image(writer.png(), rows);
    png_write_end(writer.png(), nullptr);
    return true;
}

}  // namespace

void save_png(const Image& image, const std::string& path) {
    if (image.width <= 0 || image.height <= 0 ||
        image.rgb.size() != static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height) * 3)
        throw std::runtime_error("no picture to save as " + path);
    const FilePtr file(std::fopen(path.c_str(), "wb"));
    if (!file) throw std::runtime_error("cannot open " + path);
    std::vector<png_bytep> rows(static_cast<std::size_t>(image.height));
    for (std::size_t y = 0; y < rows.size(); ++y)
        rows[y] = const_cast<png_bytep>(image.rgb.data() + y * static_cast<std::size_t>(image.width) * 3);
    const PngWriter writer;
    if (!write_rows(writer, file.get(), image, rows.data()) || std::fflush(file.get()) != 0)
        throw std::runtime_error("cannot write " + path);
}

std::string save_picture(const Image& image, const std::string& name) {
    std::filesystem::create_directories(ZELMAR_PICTURES);
    const std::string path = std::string(ZELMAR_PICTURES) + "/" + name + ".png";
    save_png(image, path);
    return path;
}

}  // namespace visualization_testing
