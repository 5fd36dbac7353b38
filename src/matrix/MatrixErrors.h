#pragma once
// The texts of the exceptions that the matrix code throws; callers and stored
// logs rely on them byte for byte.
namespace matrix_errors {

inline constexpr const char* kRowsNotPositive = "ERROR : number of rows must be positive integer\n";
inline constexpr const char* kColsNotPositive = "ERROR : number of cols must be positive integer\n";
inline constexpr const char* kRowOutOfRange =
    "ERROR : number of row must be positive integer not more than n_cols-1\n";
inline constexpr const char* kColOutOfRange =
    "ERROR : number of col must be positive integer not more than n_rows-1\n";
inline constexpr const char* kSizesDisagree = "Matrix dimensions must agree";
inline constexpr const char* kElementSizesDisagree = "ERROR : Matrix dimensions must agree\n";
inline constexpr const char* kInnerSizesDisagree = "Error : Matrix inner dimensions must agree";
inline constexpr const char* kTooLarge = "ERROR : number of elements exceeds the addressable size\n";
inline constexpr const char* kNotSquare = "Matrix must be square";
inline constexpr const char* kSingular = "Matrix is singular";
inline constexpr const char* kCannotPrint = "operator << : cannot write to output stream";
inline constexpr const char* kCannotWrite = "write : cannot write output stream";
inline constexpr const char* kTooLargeToWrite = "write : matrix sizes do not fit the binary form";
inline constexpr const char* kCannotRead = "read : cannot read input stream";

}  // namespace matrix_errors
