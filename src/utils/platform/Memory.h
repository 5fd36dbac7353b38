#pragma once
// Memory services of the operating system.
#include <cstddef>

namespace platform {

// Asks the system to back the pages of [begin, begin + bytes) with large
// pages where it can (fewer address translations for big grids); call it
// before the memory is first written. Only advice: the memory stays as it is
// whatever the system does with it.
void advise_large_pages(void* begin, std::size_t bytes);

}  // namespace platform
