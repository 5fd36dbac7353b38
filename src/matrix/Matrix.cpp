// Construction, shape, element access and reordering of Matrix.
#include "matrix/Matrix.h"

#include <limits>
#include <stdexcept>
#include <utility>

#include "matrix/MatrixErrors.h"

namespace {

// rows x cols, refusing a zero dimension and a count of elements that cannot
// be addressed in bytes.
std::size_t checked_count(std::size_t rows, std::size_t cols) {
    if (rows == 0) throw std::out_of_range(matrix_errors::kRowsNotPositive);
    if (cols == 0) throw std::out_of_range(matrix_errors::kColsNotPositive);
    constexpr std::size_t max_count = std::numeric_limits<std::size_t>::max() / sizeof(double);
    if (rows > max_count / cols) throw std::length_error(matrix_errors::kTooLarge);
    return rows * cols;
}

}  // namespace

Matrix::Matrix(std::size_t rows, std::size_t cols) : elements_(0.0, checked_count(rows, cols)), rows_(rows), cols_(cols) {}

Matrix::Matrix(std::size_t rows, std::size_t cols, const double* data)
    : elements_(data, checked_count(rows, cols)), rows_(rows), cols_(cols) {}

Matrix::Matrix(std::size_t rows, std::size_t cols, const std::valarray<double>& data) : rows_(rows), cols_(cols) {
    if (checked_count(rows, cols) != data.size()) throw std::invalid_argument(matrix_errors::kElementSizesDisagree);
    elements_ = data;
}

Matrix::Matrix(Matrix&& other) noexcept
    : elements_(std::move(other.elements_)), rows_(std::exchange(other.rows_, 0)), cols_(std::exchange(other.cols_, 0)) {}

Matrix& Matrix::operator=(const Matrix& other) {
    if (this == &other) return *this;
    if (rows_ != other.rows_ || cols_ != other.cols_) throw std::runtime_error(matrix_errors::kSizesDisagree);
    elements_ = other.elements_;
    return *this;
}

void Matrix::assign(const Matrix& other) {
    if (this == &other) return;
    std::valarray<double> copy(other.elements_);
    elements_.swap(copy);
    rows_ = other.rows_;
    cols_ = other.cols_;
}

void Matrix::take_shape(std::size_t rows, std::size_t cols) {
    const std::size_t count = checked_count(rows, cols);
    if (elements_.size() != count) elements_.resize(count);
    rows_ = rows;
    cols_ = cols;
}

void Matrix::resize(std::size_t rows, std::size_t cols) { resize(rows, cols, 0.0); }

void Matrix::resize(std::size_t rows, std::size_t cols, const double& value) {
    const double fill = value;  // `value` may be one of our own elements
    take_shape(rows, cols);
    elements_ = fill;
}

double& Matrix::at(std::size_t row, std::size_t col) {
    if (row >= rows_) throw std::out_of_range(matrix_errors::kRowOutOfRange);
    if (col >= cols_) throw std::out_of_range(matrix_errors::kColOutOfRange);
    return elements_[index(row, col)];
}

const double& Matrix::at(std::size_t row, std::size_t col) const {
    if (row >= rows_) throw std::out_of_range(matrix_errors::kRowOutOfRange);
    if (col >= cols_) throw std::out_of_range(matrix_errors::kColOutOfRange);
    return elements_[index(row, col)];
}

void Matrix::swap_rows(std::size_t a, std::size_t b) {
    assert(a < rows_ && b < rows_);
    for (std::size_t j = 0; j < cols_; ++j) std::swap(elements_[index(a, j)], elements_[index(b, j)]);
}

void Matrix::swap_cols(std::size_t a, std::size_t b) {
    assert(a < cols_ && b < cols_);
    for (std::size_t i = 0; i < rows_; ++i) std::swap(elements_[index(i, a)], elements_[index(i, b)]);
}

double Matrix::trace() const {
    const std::size_t n = rows_ < cols_ ? rows_ : cols_;
    double sum = 0.0;
    for (std::size_t i = 0; i < n; ++i) sum += elements_[index(i, i)];
    return sum;
}

Matrix Matrix::transpose() const {
    Matrix result;
    if (elements_.size() == 0) return result;
    result.take_shape(cols_, rows_);
    for (std::size_t i = 0; i < rows_; ++i) {
        for (std::size_t j = 0; j < cols_; ++j) result.elements_[result.index(j, i)] = elements_[index(i, j)];
    }
    return result;
}

void Matrix::from_column_major() {
    std::valarray<double> reordered(elements_.size());
    for (std::size_t i = 0; i < rows_; ++i) {
        for (std::size_t j = 0; j < cols_; ++j) reordered[index(i, j)] = elements_[i + j * rows_];
    }
    elements_.swap(reordered);
}

Matrix identity(std::size_t n) {
    Matrix result(n, n);
    for (std::size_t i = 0; i < n; ++i) result(i, i) = 1.0;
    return result;
}
