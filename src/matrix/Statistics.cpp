// Mean and sample variance of an array of values.
#include <cstddef>
#include <valarray>

#include "matrix/Matrix.h"

double mean(const std::valarray<double>& values) {
    double sum = 0.0;
    for (const double value : values) sum += value;
    return sum / static_cast<double>(values.size());
}

double variance(const std::valarray<double>& values) {
    const std::size_t count = values.size();
    if (count < 2) return 0.0;
    const double m = mean(values);
    double sum = 0.0;
    for (std::size_t k = 0; k < count; ++k) sum += (values[k] - m) * (values[k] - m);
    return sum / static_cast<double>(count - 1);
}
