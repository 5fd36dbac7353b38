// The grid files' numbers and text: every value comes out exactly as the C
// library's formatted output prints it, and the cube and text grids are
// byte for byte what a writer with one formatted-output call per value
// writes.
#include <gtest/gtest.h>

#include <bit>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "dynamics/species/BlockWriter.h"
#include "dynamics/species/CubeFile.h"
#include "dynamics/species/GridCache.h"
#include "dynamics/species/NumberText.h"
#include "support/CommaLocale.h"
#include "support/TempDir.h"
#include "utils/File.h"

namespace {

using testing_support::read_file;

struct Style {
    NumberStyle style;
    const char* format;
};
const Style styles[] = {
    {NumberStyle::cube_value, "%12.6g"}, {NumberStyle::exponent, "%e"}, {NumberStyle::whole, "%.0f"}};

std::string library_text(double value, const char* format) {
    char text[400];
    const int length = std::snprintf(text, sizeof text, format, value);
    return std::string(text, static_cast<std::size_t>(length));
}

std::string fast_text(double value, NumberStyle style) {
    char text[number_text_room];
    return std::string(text, put_number(text, value, style));
}

// Values where a conversion changes its form, rounds across a power of ten,
// meets an exact halfway case, or leaves the range of ordinary numbers.
const double table[] = {
    0.0, -0.0, 1.0, -1.0, 2.0, 40.0, 80.0, 14.39, 0.1, 1.0 / 3.0, -2.0 / 3.0,
    // %.0f halfway cases go to even; -0.4 prints "-0"
    0.5, 1.5, 2.5, -0.5, -0.4, 0.49999999999999994, 4503599627370495.5, 999999999999999.0, 1e15, 1e15 + 1,
    // %.6g: fixed and exponent forms and the switch between them
    1e-4, 9.99999e-5, 9.999995e-5, 9.9999949e-5, 0.00012345, 123456.0, 999999.0, 999999.4, 999999.5, 1e6, 1234567.0,
    100000.0, 100.5, 123456.5, 123457.5, 0.000123456789, 12.5, 1.25, -1.5e-5,
    // %e: seven digits, rounding up to the next power
    9.9999995, 9.99999949, 1.0000005, 5e-7, 123.4567,
    // very small and very large
    1e-17, 1e-18, 1e-22, 1e-23, 1e-99, 1e-100, -1e-100, 1.234567e-150, 1e-300, 1e-305, 2.2250738585072014e-308,
    DBL_MIN, 4.9e-324, -4.9e-324, 2.225073858507201e-308, 1e22, 1e23, 1e99, 1e100, 1e300, -1.7976931348623157e308,
    DBL_MAX, DBL_EPSILON,
    // not numbers
    std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(),
    std::numeric_limits<double>::quiet_NaN(), -std::numeric_limits<double>::quiet_NaN()};

TEST(NumberText, TableAsTheLibraryPrintsIt) {
    for (const Style& s : styles)
        for (const double value : table)
            EXPECT_EQ(fast_text(value, s.style), library_text(value, s.format))
                << s.format << " of " << library_text(value, "%.17g");
}

// Random doubles of every exponent, and values of a few digits (which land
// on or near halfway cases), against the library.
TEST(NumberText, RandomValuesAsTheLibraryPrintsThem) {
    std::mt19937_64 random(20261211);
    std::uniform_int_distribution<std::uint64_t> leading(0, 9999999);
    std::uniform_int_distribution<int> exponent(-30, 30);
    for (int trial = 0; trial < 200000; ++trial) {
        double value = std::bit_cast<double>(random());
        if (trial % 2 == 1) value = std::stod(std::to_string(leading(random)) + "5e" + std::to_string(exponent(random)));
        for (const Style& s : styles) {
            ASSERT_EQ(fast_text(value, s.style), library_text(value, s.format))
                << s.format << " of " << library_text(value, "%.17g");
        }
    }
}

// The library's own conversion, where the fast one hands over, keeps the
// point whatever locale the process has set.
TEST(NumberText, DecimalPointUnderAnotherLocale) {
    testing_support::CommaLocale comma;
    if (!comma.active()) GTEST_SKIP() << "no locale with a decimal comma";
    EXPECT_EQ(fast_text(1.5, NumberStyle::cube_value), "         1.5");
    EXPECT_EQ(fast_text(4.9e-324, NumberStyle::cube_value), "4.94066e-324");
    EXPECT_EQ(fast_text(4.9e-324, NumberStyle::exponent), "4.940656e-324");
}

// The text as a writer with one formatted-output call per value writes it.
std::string formatted_cube(const std::string& title, const std::vector<ATOM>& atoms, const std::vector<double>& values,
                           int n, double h) {
    const testing_support::TempDir dir;
    const std::string name = dir.file("cube");
    {
        const FilePtr file(std::fopen(name.c_str(), "w"));
        const double origin = (0.5 - n / 2) * h * bohr_per_metre, step = h * bohr_per_metre;
        std::fputs("Zelmar CUBE FILE\n", file.get());
        std::fputs(title.c_str(), file.get());
        std::fprintf(file.get(), "%5d %12.6g %12.6g %12.6g \n", static_cast<int>(atoms.size()), origin, origin, origin);
        std::fprintf(file.get(), "%5d %12.6g %12.6g %12.6g \n", n, step, 0.0, 0.0);
        std::fprintf(file.get(), "%5d %12.6g %12.6g %12.6g \n", n, 0.0, step, 0.0);
        std::fprintf(file.get(), "%5d %12.6g %12.6g %12.6g \n", n, 0.0, 0.0, step);
        for (const ATOM& atom : atoms)
            std::fprintf(file.get(), "%5d %5d %12.6g %12.6g %12.6g \n", atom.serial, 0, atom.x * bohr_per_metre,
                         atom.y * bohr_per_metre, atom.z * bohr_per_metre);
        std::size_t p = 0;
        for (int i = 0; i < n; ++i)
            for (int j = 0; j < n; ++j)
                for (int k = 0; k < n; ++k) {
                    std::fprintf(file.get(), "%12.6g ", values[p++]);
                    if (k % 6 == 5 || k == n - 1) std::fputc('\n', file.get());
                }
    }
    return read_file(name);
}

std::string formatted_text_grid(const std::vector<double>& values, int n, const char* value_format) {
    std::string text;
    std::size_t p = 0;
    for (int i = 0; i < n; ++i) {
        for (int j = 0; j < n; ++j) {
            for (int k = 0; k < n; ++k) text += library_text(values[p++], value_format) + "\t";
            text += "\n";
        }
        text += "\n";
    }
    return text;
}

// A grid holding the table's values over and over.
std::vector<double> table_grid(int n) {
    std::vector<double> values(static_cast<std::size_t>(n) * n * n);
    for (std::size_t p = 0; p < values.size(); ++p) values[p] = table[p % std::size(table)];
    return values;
}

TEST(GridText, CubeFileAsTheFormattedWriterWritesIt) {
    std::vector<ATOM> atoms(3, ATOM{});
    for (int a = 0; a < 3; ++a) {
        atoms[static_cast<std::size_t>(a)].serial = 100 * a + 1;
        atoms[static_cast<std::size_t>(a)].x = -1.5e-10 * a;
        atoms[static_cast<std::size_t>(a)].y = 2.25e-10;
        atoms[static_cast<std::size_t>(a)].z = 1e-12 * a;
    }
    // Rows of 1, 5, 6, 7 and 13 values: lines of six and a row's last line.
    for (const int n : {1, 5, 6, 7, 13}) {
        SCOPED_TRACE(n);
        const std::vector<double> values = table_grid(n);
        const testing_support::TempDir dir;
        const std::string name = dir.file("cube");
        {
            const FilePtr file(std::fopen(name.c_str(), "w"));
            ASSERT_TRUE(write_cube(file.get(), "Title of lys\n", atoms, values, n, 2e-10));
        }
        EXPECT_EQ(read_file(name), formatted_cube("Title of lys\n", atoms, values, n, 2e-10));
    }
}

TEST(GridText, TextGridsAsTheFormattedWriterWritesThem) {
    const int n = 9;
    const std::vector<double> values = table_grid(n);
    for (const Style& s : {styles[1], styles[2]}) {
        SCOPED_TRACE(s.format);
        const testing_support::TempDir dir;
        const std::string name = dir.file("grid");
        {
            const FilePtr file(std::fopen(name.c_str(), "w"));
            ASSERT_TRUE(write_text_grid(file.get(), values, n, s.style));
        }
        EXPECT_EQ(read_file(name), formatted_text_grid(values, n, s.format));
    }
}

// Blocks are written whole and in order, whatever falls on their edges.
TEST(BlockWriter, TextAcrossBlockEdges) {
    const testing_support::TempDir dir;
    const std::string name = dir.file("blocks");
    std::string expected;
    {
        const FilePtr file(std::fopen(name.c_str(), "w"));
        BlockWriter out(file.get(), 1);  // as small as it gets: room for one number
        for (int r = 0; r < 300; ++r) {
            const double value = std::ldexp(1.0 + r, r - 150);
            out.number(value, NumberStyle::exponent);
            expected += library_text(value, "%e");
            const std::string text(static_cast<std::size_t>(r * 7 % 1000), static_cast<char>('a' + r % 26));
            out.put(text);
            out.put('\n');
            expected += text + "\n";
        }
        ASSERT_TRUE(out.finish());
    }
    EXPECT_EQ(read_file(name), expected);
}

TEST(BlockWriter, FailedWriteIsReported) {
    const testing_support::TempDir dir;
    const std::string name = dir.file("read-only");
    testing_support::write_file(name, "");
    const FilePtr file(std::fopen(name.c_str(), "r"));
    BlockWriter out(file.get());
    out.number(1.0, NumberStyle::whole);
    EXPECT_FALSE(out.finish());
}

}  // namespace
