#include <gtest/gtest.h>

#include <string>

#include "visualization/movie/AviResult.h"

using movie::avi_error_text;

TEST(AviErrorText, EveryCodeHasItsText) {
    const struct {
        movie::AviResult code;
        const char* text;
    } table[] = {
        {0, "Success"},
        {0x80040154, "REGDB_E_CLASSNOTREG: file type not recognised"},
        {0x80044065, "AVIERR_UNSUPPORTED: compression is not supported for this type of data"},
        {0x80044066, "AVIERR_BADFORMAT: corrupt file or unrecognized format"},
        {0x80044067, "AVIERR_MEMORY: insufficient memory"},
        {0x80044068, "AVIERR_INTERNAL: internal error"},
        {0x80044069, "AVIERR_BADFLAGS"},
        {0x8004406a, "AVIERR_BADPARAM"},
        {0x8004406b, "AVIERR_BADSIZE"},
        {0x8004406c, "AVIERR_BADHANDLE"},
        {0x8004406d, "AVIERR_FILEREAD: disk error while reading file"},
        {0x8004406e, "AVIERR_FILEWRITE: disk error while writing file"},
        {0x8004406f, "AVIERR_FILEOPEN: disk error while opening file"},
        {0x80044070, "AVIERR_COMPRESSOR"},
        {0x80044071, "AVIERR_NOCOMPRESSOR: a suitable compressor could not be found"},
        {0x80044072, "AVIERR_READONLY: file is read-only"},
        {0x80044073, "AVIERR_NODATA: no data"},
        {0x80044074, "AVIERR_BUFFERTOOSMALL"},
        {0x80044075, "AVIERR_CANTCOMPRESS"},
        {0x800440c6, "AVIERR_USERABORT"},
        {0x800440c7, "AVIERR_ERROR"},
    };
    for (const auto& row : table) {
        SCOPED_TRACE(row.code);
        EXPECT_EQ(std::string(avi_error_text(row.code)), row.text);
    }
}

TEST(AviErrorText, OtherCodesAreUnknown) {
    for (const movie::AviResult code : {1u, 0x80044064u, 0x80044076u, 0x800440c5u, 0x800440c8u, 0xffffffffu}) {
        SCOPED_TRACE(code);
        EXPECT_EQ(std::string(avi_error_text(code)), "unknown avi result code");
    }
}

TEST(AviErrorText, NamedCodesHaveTheirValues) {
    EXPECT_EQ(movie::AVIERR_BADFORMAT, 0x80044066u);
    EXPECT_EQ(movie::AVIERR_BADFLAGS, 0x80044069u);
    EXPECT_EQ(movie::AVIERR_BADPARAM, 0x8004406au);
    EXPECT_EQ(movie::AVIERR_BADHANDLE, 0x8004406cu);
    EXPECT_EQ(movie::AVIERR_FILEOPEN, 0x8004406fu);
    EXPECT_EQ(movie::AVIERR_COMPRESSOR, 0x80044070u);
    EXPECT_EQ(movie::AVIERR_USERABORT, 0x800440c6u);
    EXPECT_EQ(movie::AVIERR_ERROR, 0x800440c7u);
}
