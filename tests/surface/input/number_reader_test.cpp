#include <gtest/gtest.h>

#include <cfloat>
#include <climits>
#include <string>
#include <vector>

#include "surface/input/NumberReader.h"
#include "surface/input/Tokenizer.h"

using velmesh::NumberError;

namespace {

struct NumberCase {
    const char* text;
    NumberError error;
    double value;
};

TEST(NumberCheck, AcceptsTheStrictGrammarOnly) {
    const NumberCase cases[] = {
        {"1.5", NumberError::none, 1.5},
        {"  -2  ", NumberError::none, -2},
        {"+3.", NumberError::none, 3},
        {".25", NumberError::none, 0.25},
        {"1e3", NumberError::none, 1000},
        {"2.5E-1", NumberError::none, 0.25},
        {"1e+2", NumberError::none, 100},
        {"", NumberError::none, 0},  // no mantissa digits: valid, 0
        {"   ", NumberError::none, 0},
        {"1.5x", NumberError::invalid, 0},
        {"1 5", NumberError::invalid, 0},
        {"e5", NumberError::invalid, 0},
        {"1e", NumberError::invalid, 0},
        {"1e+", NumberError::invalid, 0},
        {".", NumberError::invalid, 0},
        {"-", NumberError::invalid, 0},
        {"+.e1", NumberError::invalid, 0},
        {"0x10", NumberError::invalid, 0},
        {"inf", NumberError::invalid, 0},
        {"nan", NumberError::invalid, 0},
        {"1,5", NumberError::invalid, 0},
    };
    for (const NumberCase& c : cases) {
        NumberError error;
        const double value = velmesh::check_number(c.text, error);
        EXPECT_EQ(error, c.error) << '"' << c.text << '"';
        EXPECT_DOUBLE_EQ(value, c.value) << '"' << c.text << '"';
    }
}

TEST(FloatReader, FlushesTinyValuesAndClampsHugeOnes) {
    const NumberCase cases[] = {
        {"1e-39", NumberError::none, 0},
        {"-1e-40", NumberError::none, 0},
        {"1e39", NumberError::out_of_range, FLT_MAX},
        {"-1e400", NumberError::out_of_range, -FLT_MAX},
        {"3.5", NumberError::none, 3.5},
        {"abc", NumberError::invalid, 0},
    };
    for (const NumberCase& c : cases) {
        NumberError error;
        const float value = velmesh::read_float(c.text, error);
        EXPECT_EQ(error, c.error) << c.text;
        EXPECT_FLOAT_EQ(value, static_cast<float>(c.value)) << c.text;
    }
}

TEST(IntReader, RefusesFractionsAndClampsBeyondThirtyOneBits) {
    const NumberCase cases[] = {
        {"7", NumberError::none, 7},
        {"-12", NumberError::none, -12},
        {"1e3", NumberError::none, 1000},
        {"2.0", NumberError::none, 2},
        {"2.5", NumberError::invalid, 0},
        {"CA", NumberError::invalid, 0},
        {"2147483647", NumberError::none, INT_MAX},
        {"2147483648", NumberError::out_of_range, INT_MAX},
        {"-3e12", NumberError::out_of_range, -INT_MAX},
    };
    for (const NumberCase& c : cases) {
        NumberError error;
        EXPECT_EQ(velmesh::read_int(c.text, error), static_cast<int>(c.value)) << c.text;
        EXPECT_EQ(error, c.error) << c.text;
    }
}

TEST(StripBlanks, RemovesEveryBlank) {
    std::string text = " 1 .\t5 ";
    velmesh::strip_blanks(text);
    EXPECT_EQ(text, "1.5");
}

TEST(Tokenizer, SplitsAtWhiteSpaceAndKeepsQuotedColumnsWhole) {
    struct Case {
        const char* line;
        std::vector<std::string> tokens;
    };
    const Case cases[] = {
        {"1 2 3 1.5", {"1", "2", "3", "1.5"}},
        {"  1\t2   3 1.5 \r", {"1", "2", "3", "1.5"}},
        {"1 2 3 1.5 1 7 \"C A\"", {"1", "2", "3", "1.5", "1", "7", "C A"}},
        {"1 2 3 1.5 1 7 ''", {"1", "2", "3", "1.5", "1", "7", ""}},
        {"1 '2 5' 3", {"1", "2 5", "3"}},
        {"1 2 \"open", {"1", "2", "open"}},
        {"", {}},
    };
    std::vector<std::string> tokens;
    for (const Case& c : cases) {
        velmesh::tokenize(c.line, tokens);
        EXPECT_EQ(tokens, c.tokens) << c.line;
    }
}

}  // namespace
