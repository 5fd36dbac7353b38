#include <array>
#include <utility>

#include "visualization/movie/AviResult.h"

namespace movie {

namespace {

constexpr std::array<std::pair<AviResult, std::string_view>, 21> texts{{
    {AVIERR_OK, "Success"},
    {0x80040154, "REGDB_E_CLASSNOTREG: file type not recognised"},
    {AVIERR_UNSUPPORTED, "AVIERR_UNSUPPORTED: compression is not supported for this type of data"},
    {AVIERR_BADFORMAT, "AVIERR_BADFORMAT: corrupt file or unrecognized format"},
    {AVIERR_MEMORY, "AVIERR_MEMORY: insufficient memory"},
    {AVIERR_INTERNAL, "AVIERR_INTERNAL: internal error"},
    {AVIERR_BADFLAGS, "AVIERR_BADFLAGS"},
    {AVIERR_BADPARAM, "AVIERR_BADPARAM"},
    {AVIERR_BADSIZE, "AVIERR_BADSIZE"},
    {AVIERR_BADHANDLE, "AVIERR_BADHANDLE"},
    {AVIERR_FILEREAD, "AVIERR_FILEREAD: disk error while reading file"},
    {AVIERR_FILEWRITE, "AVIERR_FILEWRITE: disk error while writing file"},
    {AVIERR_FILEOPEN, "AVIERR_FILEOPEN: disk error while opening file"},
    {AVIERR_COMPRESSOR, "AVIERR_COMPRESSOR"},
    {AVIERR_NOCOMPRESSOR, "AVIERR_NOCOMPRESSOR: a suitable compressor could not be found"},
    {AVIERR_READONLY, "AVIERR_READONLY: file is read-only"},
    {AVIERR_NODATA, "AVIERR_NODATA: no data"},
    {AVIERR_BUFFERTOOSMALL, "AVIERR_BUFFERTOOSMALL"},
    {AVIERR_CANTCOMPRESS, "AVIERR_CANTCOMPRESS"},
    {AVIERR_USERABORT, "AVIERR_USERABORT"},
    {AVIERR_ERROR, "AVIERR_ERROR"},
}};

}  // namespace

std::string_view avi_error_text(AviResult code) {
    for (const auto& [known, text] : texts)
        if (known == code) return text;
    return "unknown avi result code";
}

}  // namespace movie
