#pragma once
// Result codes of the movie writer and their texts.
//
// The codes are those of the desktop platform's AVI file services (0 is
// success), so that a movie failure reads the same on every build.
#include <cstdint>
#include <string_view>

namespace movie {

using AviResult = std::uint32_t;

inline constexpr AviResult AVIERR_OK = 0;
inline constexpr AviResult AVIERR_UNSUPPORTED = 0x80044065;
inline constexpr AviResult AVIERR_BADFORMAT = 0x80044066;
inline constexpr AviResult AVIERR_MEMORY = 0x80044067;
inline constexpr AviResult AVIERR_INTERNAL = 0x80044068;
inline constexpr AviResult AVIERR_BADFLAGS = 0x80044069;
inline constexpr AviResult AVIERR_BADPARAM = 0x8004406a;
inline constexpr AviResult AVIERR_BADSIZE = 0x8004406b;
inline constexpr AviResult AVIERR_BADHANDLE = 0x8004406c;
inline constexpr AviResult AVIERR_FILEREAD = 0x8004406d;
inline constexpr AviResult AVIERR_FILEWRITE = 0x8004406e;
inline constexpr AviResult AVIERR_FILEOPEN = 0x8004406f;
inline constexpr AviResult AVIERR_COMPRESSOR = 0x80044070;
inline constexpr AviResult AVIERR_NOCOMPRESSOR = 0x80044071;
inline constexpr AviResult AVIERR_READONLY = 0x80044072;
inline constexpr AviResult AVIERR_NODATA = 0x80044073;
inline constexpr AviResult AVIERR_BUFFERTOOSMALL = 0x80044074;
inline constexpr AviResult AVIERR_CANTCOMPRESS = 0x80044075;
inline constexpr AviResult AVIERR_USERABORT = 0x800440c6;
inline constexpr AviResult AVIERR_ERROR = 0x800440c7;

// The text shown for a result code; "unknown avi result code" for a code
// without one.
std::string_view avi_error_text(AviResult code);

}  // namespace movie
