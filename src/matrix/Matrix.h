#pragma once
// A small dense matrix of doubles stored row by row, and the free functions
// over it: arithmetic, products, a centred 2-D filter, stream forms, the
// inverse and statistics of value arrays.
//
// Errors are standard exceptions with fixed texts (see MatrixErrors.h).
#include <cassert>
#include <cstddef>
#include <iosfwd>
#include <valarray>

class Matrix {
public:
    // 0 x 0, no elements. Every other shape has at least one row and column.
    Matrix() = default;
    // All elements 0.0.
    Matrix(std::size_t rows, std::size_t cols);
    // Copies rows x cols values from `data`, row after row.
    Matrix(std::size_t rows, std::size_t cols, const double* data);
    // The elements become a copy of `data`, which must hold rows x cols values.
    Matrix(std::size_t rows, std::size_t cols, const std::valarray<double>& data);
    Matrix(const Matrix& other) = default;
    // Leaves `other` empty (0 x 0).
    Matrix(Matrix&& other) noexcept;
    virtual ~Matrix() = default;

    // Copies the elements of a matrix of the same sizes; refuses other sizes
    // and then leaves this matrix unchanged.
    Matrix& operator=(const Matrix& other);
    // Takes the sizes and elements of `other`.
    void assign(const Matrix& other);

    std::size_t n_rows() const { return rows_; }
    std::size_t n_cols() const { return cols_; }

    // Every element 0.0, or `value`.
    void resize(std::size_t rows, std::size_t cols);
    void resize(std::size_t rows, std::size_t cols, const double& value);

    std::size_t index(std::size_t row, std::size_t col) const { return row * cols_ + col; }

    // Unchecked element access.
    double& operator()(std::size_t row, std::size_t col) {
        assert(row < rows_ && col < cols_);
        return elements_[index(row, col)];
    }
    double operator()(std::size_t row, std::size_t col) const {
        assert(row < rows_ && col < cols_);
        return elements_[index(row, col)];
    }
    // Checked element access (std::out_of_range).
    double& at(std::size_t row, std::size_t col);
    const double& at(std::size_t row, std::size_t col) const;

    // The first element in storage order; null for an empty matrix.
    double* data() { return elements_.size() ? &elements_[0] : nullptr; }
    const double* data() const { return elements_.size() ? &elements_[0] : nullptr; }

    // Unchecked exchanges.
    void swap_rows(std::size_t a, std::size_t b);
    void swap_cols(std::size_t a, std::size_t b);

    // Sum of the main diagonal, over min(rows, cols) elements.
    double trace() const;
    Matrix transpose() const;
    // Reinterprets the stored values as a column-major matrix of the same
    // sizes and reorders them into row order; for a square matrix this is an
    // in-place transpose.
    void from_column_major();

    // Text form: elements of one row separated by tabs, rows by newlines.
    friend std::ostream& operator<<(std::ostream& out, const Matrix& A);
    // Reads rows x cols numbers in row order into an already sized matrix;
    // on a failed read the matrix is left unchanged.
    friend std::istream& operator>>(std::istream& in, Matrix& A);

    // Binary form: rows and cols as unsigned 32-bit little-endian integers,
    // then the elements as little-endian IEEE-754 doubles in row order.
    void write(std::ostream& out) const;
    // Reads the binary form; on any error the matrix is left unchanged.
    void read(std::istream& in);

private:
    void take_shape(std::size_t rows, std::size_t cols);

    std::valarray<double> elements_;
    std::size_t rows_ = 0;
    std::size_t cols_ = 0;
};

// The n x n identity.
Matrix identity(std::size_t n);

// Element by element, on matrices of equal sizes.
Matrix operator+(const Matrix& A, const Matrix& B);
Matrix operator-(const Matrix& A, const Matrix& B);
Matrix elem_mul(const Matrix& A, const Matrix& B);
Matrix elem_div(const Matrix& A, const Matrix& B);
// 0.0 where both elements are 0.0, else 1.0.
Matrix elem_or(const Matrix& A, const Matrix& B);
// Sum over all (i, j) of A(i, j) x B(i, j).
double dot(const Matrix& A, const Matrix& B);

// Matrix product; A's column count must equal B's row count.
Matrix operator*(const Matrix& A, const Matrix& B);

// A scalar applied to every element.
Matrix operator+(const Matrix& A, double s);
Matrix operator+(double s, const Matrix& A);
Matrix operator-(const Matrix& A, double s);
Matrix operator-(double s, const Matrix& A);
Matrix operator*(const Matrix& A, double s);
Matrix operator*(double s, const Matrix& A);

// Centred correlation of A with the kernel K, zero outside A: Out(i, j) is
// the sum of A(i + u, j + v) x K(u + hr, v + hc) for |u| <= hr, |v| <= hc,
// hr = (K rows - 1) / 2, hc = (K cols - 1) / 2. Out must have A's sizes.
void filter2d(const Matrix& A, const Matrix& K, Matrix& Out);

// The inverse of a square matrix by the Faddeev-LeVerrier recurrence;
// a singular matrix is refused (std::runtime_error).
Matrix inv(const Matrix& A);

// Mean of the values (NaN for none) and their sample variance (0.0 for
// fewer than two values).
double mean(const std::valarray<double>& values);
double variance(const std::valarray<double>& values);
