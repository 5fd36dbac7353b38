// Text and binary stream forms of Matrix.
#include <algorithm>
#include <bit>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <istream>
#include <limits>
#include <ostream>
#include <stdexcept>
#include <string_view>
#include <vector>

#include "matrix/Matrix.h"
#include "matrix/MatrixErrors.h"

namespace {

static_assert(sizeof(double) == 8 && std::numeric_limits<double>::is_iec559, "the binary form stores IEEE-754 doubles");

// Elements move through the binary form in blocks of this many values.
constexpr std::size_t kBlockElements = 4096;

template <class Unsigned>
void store_le(Unsigned value, unsigned char* bytes) {
    for (std::size_t k = 0; k < sizeof(Unsigned); ++k) bytes[k] = static_cast<unsigned char>(value >> (8 * k));
}

template <class Unsigned>
Unsigned load_le(const unsigned char* bytes) {
    Unsigned value = 0;
    for (std::size_t k = 0; k < sizeof(Unsigned); ++k) value |= static_cast<Unsigned>(bytes[k]) << (8 * k);
    return value;
}

bool stream_failed(const std::ios& stream) { return stream.fail() || stream.bad(); }

// "%.4g" in the C locale, whatever the process locale.
std::string_view format_element(double value, char (&buffer)[32]) {
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 4);
    return {buffer, static_cast<std::size_t>(result.ptr - buffer)};
}

}  // namespace

std::ostream& operator<<(std::ostream& out, const Matrix& A) {
    char buffer[32];
    for (std::size_t i = 0; i < A.n_rows(); ++i) {
        for (std::size_t j = 0; j < A.n_cols(); ++j) {
            if (j > 0) out << '\t';
            out.width(7);
            out.precision(4);
            out.setf(std::ios::fixed | std::ios::right);
            out << format_element(A(i, j), buffer);
            if (stream_failed(out)) throw std::runtime_error(matrix_errors::kCannotPrint);
        }
        out << std::endl;
    }
    return out;
}

std::istream& operator>>(std::istream& in, Matrix& A) {
    const std::size_t count = A.n_rows() * A.n_cols();
    std::vector<double> values(count);
    for (double& value : values) {
        if (!(in >> value)) return in;
    }
    if (count > 0) std::copy(values.begin(), values.end(), A.data());
    return in;
}

void Matrix::write(std::ostream& out) const {
    constexpr std::size_t max_dimension = std::numeric_limits<std::uint32_t>::max();
    if (rows_ > max_dimension || cols_ > max_dimension) throw std::runtime_error(matrix_errors::kTooLargeToWrite);

    unsigned char header[8];
    store_le(static_cast<std::uint32_t>(rows_), header);
    store_le(static_cast<std::uint32_t>(cols_), header + 4);
    out.write(reinterpret_cast<const char*>(header), sizeof header);
    if (stream_failed(out)) throw std::runtime_error(matrix_errors::kCannotWrite);

    std::vector<unsigned char> block(8 * std::min(kBlockElements, elements_.size()));
    for (std::size_t first = 0; first < elements_.size(); first += kBlockElements) {
        const std::size_t n = std::min(kBlockElements, elements_.size() - first);
        for (std::size_t k = 0; k < n; ++k) store_le(std::bit_cast<std::uint64_t>(elements_[first + k]), &block[8 * k]);
        out.write(reinterpret_cast<const char*>(block.data()), static_cast<std::streamsize>(8 * n));
        if (stream_failed(out)) throw std::runtime_error(matrix_errors::kCannotWrite);
    }
}

// The elements are read block by block before any memory is sized from the
// header, so a damaged header cannot make us allocate more than the stream
// actually holds.
void Matrix::read(std::istream& in) {
    unsigned char header[8];
    if (!in.read(reinterpret_cast<char*>(header), sizeof header)) throw std::runtime_error(matrix_errors::kCannotRead);
    const std::size_t rows = load_le<std::uint32_t>(header);
    const std::size_t cols = load_le<std::uint32_t>(header + 4);
    if (rows == 0) throw std::out_of_range(matrix_errors::kRowsNotPositive);
    if (cols == 0) throw std::out_of_range(matrix_errors::kColsNotPositive);
    constexpr std::size_t max_count = std::numeric_limits<std::size_t>::max() / sizeof(double);
    if (rows > max_count / cols) throw std::runtime_error(matrix_errors::kCannotRead);
    const std::size_t count = rows * cols;

    std::vector<double> values;
    values.reserve(std::min(count, kBlockElements));
    unsigned char block[8 * kBlockElements];
    while (values.size() < count) {
        const std::size_t n = std::min(kBlockElements, count - values.size());
        if (!in.read(reinterpret_cast<char*>(block), static_cast<std::streamsize>(8 * n))) {
            throw std::runtime_error(matrix_errors::kCannotRead);
        }
        for (std::size_t k = 0; k < n; ++k) values.push_back(std::bit_cast<double>(load_le<std::uint64_t>(&block[8 * k])));
    }

    elements_ = std::valarray<double>(values.data(), count);
    rows_ = rows;
    cols_ = cols;
}
