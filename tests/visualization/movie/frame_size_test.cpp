#include <gtest/gtest.h>

#include "visualization/movie/DibImage.h"
#include "visualization/movie/FrameSize.h"

using movie::movie_frame_size;

TEST(MovieFrameSize, ClientSizeIsRoundedDownToWidthsOfFourAndEvenHeights) {
    const struct {
        int client_width, client_height, width, height;
    } table[] = {
        {400, 300, 400, 300}, {401, 301, 400, 300}, {403, 299, 400, 298}, {404, 2, 404, 2}, {7, 5, 4, 4},
        {4, 1, 0, 0},         {3, 100, 0, 0},       {0, 0, 0, 0},         {-8, 10, 0, 0},
    };
    for (const auto& row : table) {
        SCOPED_TRACE(std::to_string(row.client_width) + " x " + std::to_string(row.client_height));
        const movie::FrameSize size = movie_frame_size(row.client_width, row.client_height);
        EXPECT_EQ(size.width, row.width);
        EXPECT_EQ(size.height, row.height);
    }
}

TEST(MovieFrameSize, RoundedFramesNeedNoRowPadding) {
    for (const int client_width : {401, 402, 403, 1917}) {
        const movie::FrameSize size = movie_frame_size(client_width, 480);
        EXPECT_EQ(movie::dib_stride(size.width), static_cast<std::size_t>(size.width) * 3);
    }
}

TEST(DibImage, RowsArePaddedToFourBytes) {
    const movie::DibImage image = movie::make_dib_image(401, 3);
    EXPECT_EQ(image.stride, 1204);
    EXPECT_EQ(image.pixels.size(), 1204u * 3);
    EXPECT_TRUE(movie::is_whole_dib(image));
}

TEST(DibImage, ImagesThatAreNotWholeBitmaps) {
    const auto changed = [](auto change) {
        movie::DibImage image = movie::make_dib_image(10, 4);  // stride 32
        change(image);
        return image;
    };
    EXPECT_FALSE(movie::is_whole_dib(movie::DibImage{}));
    EXPECT_FALSE(movie::is_whole_dib(changed([](movie::DibImage& i) { i.pixels.pop_back(); })));
    EXPECT_FALSE(movie::is_whole_dib(changed([](movie::DibImage& i) { i.pixels.push_back(0); })));
    EXPECT_FALSE(movie::is_whole_dib(changed([](movie::DibImage& i) {
        i.stride = 30;  // unpadded rows
        i.pixels.resize(30 * 4);
    })));
    EXPECT_FALSE(movie::is_whole_dib(changed([](movie::DibImage& i) {
        i.stride = 28;  // shorter than a row of pixels
        i.pixels.resize(28 * 4);
    })));
    EXPECT_FALSE(movie::is_whole_dib(changed([](movie::DibImage& i) { i.height = 0; })));
    EXPECT_TRUE(movie::is_whole_dib(changed([](movie::DibImage& i) {
        i.stride = 36;  // wider rows than needed are still a bitmap
        i.pixels.resize(36 * 4);
    })));
}
