#pragma once
// The size a view records its movie at.

namespace movie {

struct FrameSize {
    int width = 0;   // pixels
    int height = 0;  // pixels
};

// The client size rounded down to a width that is a multiple of 4 and an
// even height, which every codec and every reader takes (4:2:0 chroma needs
// even sizes, and rows of 3 × a multiple of 4 bytes need no padding). A
// client too small for one such frame gives 0 × 0.
FrameSize movie_frame_size(int client_width, int client_height);

}  // namespace movie
