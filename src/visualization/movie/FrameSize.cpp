#include "visualization/movie/FrameSize.h"

namespace movie {

FrameSize movie_frame_size(int client_width, int client_height) {
    const int width = client_width > 0 ? client_width / 4 * 4 : 0;
    const int height = client_height > 0 ? client_height / 2 * 2 : 0;
    if (width == 0 || height == 0) return {};
    return {width, height};
}

}  // namespace movie
