#include "utils/histogram/histogram.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <stdexcept>
#include <string>

#include "utils/Format.h"
#include "utils/Log.h"
#include "utils/backup/backup.h"
#include "utils/fopen_s.h"

namespace {

constexpr std::uint64_t max_total = std::numeric_limits<std::int64_t>::max();

}  // namespace

histogram::histogram(int dimension_count, const int* bin_counts) : dimensions(dimension_count) {
    if (dimension_count < 0) throw std::invalid_argument("histogram: negative dimension count");
    if (dimension_count > 0 && bin_counts == nullptr) throw std::invalid_argument("histogram: no bin counts");
    std::uint64_t cells = 1;
    for (int k = 0; k < dimension_count; ++k) {
        const std::int64_t n = bin_counts[k] < 1 ? 1 : bin_counts[k];
        bins.push_back(n);
        strides.push_back(cells);
        if (cells > std::numeric_limits<std::uint64_t>::max() / sizeof(std::uint64_t) / static_cast<std::uint64_t>(n))
            throw std::length_error("histogram: too many cells");
        cells *= static_cast<std::uint64_t>(n);
    }
    transforms.resize(bins.size());
    counters.assign(cells, 0);
    backup::add(counters.data(), counters.size() * sizeof(std::uint64_t), __FILE__, __LINE__);
    backup::add(&total, sizeof total, __FILE__, __LINE__);
}

void histogram::reset() {
    total = 0;
    std::fill(counters.begin(), counters.end(), 0);
}

void histogram::setTransform(double min, double max, int dimension) {
    if (dimension < 0 || dimension >= dimensions || bins[dimension] < 3) return;
    if (!std::isfinite(min) || !std::isfinite(max) || !(max > min))
        throw std::invalid_argument(format("histogram: transform range %g to %g is not an interval", min, max));
    transforms[dimension] = Transform{min, (max - min) / static_cast<double>(bins[dimension] - 2)};
}

int histogram::getTransform(double value, int dimension) const {
    if (dimension < 0 || dimension >= dimensions)
        throw std::out_of_range(format("histogram: no dimension %d", dimension));
    const std::optional<Transform>& transform = transforms[dimension];
    if (!transform) throw std::logic_error(format("histogram: dimension %d has no transform", dimension));
    if (std::isnan(value)) throw std::invalid_argument("histogram: value is not a number");
    const double f = std::floor((value - transform->min) / transform->width);
    const std::int64_t last = bins[dimension] - 1;
    if (f < -1.0) return 0;
    if (f >= static_cast<double>(last - 1)) return static_cast<int>(last);
    return static_cast<int>(f) + 1;
}

void histogram::add(const int* indices) {
    if (dimensions == 0 || total >= max_total) return;
    std::uint64_t cell = 0;
    for (int k = 0; k < dimensions; ++k) {
        const int index = indices[k];
        if (index < 0 || index >= bins[k])
            throw std::out_of_range(format("histogram: index %d outside bins 0 to %ld of dimension %d", index,
                                           static_cast<long>(bins[k] - 1), k));
        cell += static_cast<std::uint64_t>(index) * strides[k];
    }
    ++total;
    ++counters[cell];
}

void histogram::add(int index) {
    if (dimensions > 1)
        throw std::logic_error(format("histogram: one index given for %d dimensions", static_cast<int>(dimensions)));
    add(&index);
}

void histogram::add(double value) { add(getTransform(value, 0)); }

bool histogram::save(const char* file, bool report, bool append) const {
    if (file == nullptr || *file == '\0') return true;
    FilePtr out = fopen_share(file, append ? "a+" : "w+", false, report);
    if (out == nullptr) return false;

    // The row, plane, ... lengths after which a line ends.
    std::vector<std::uint64_t> block_sizes;
    for (int k = 0; k < dimensions; ++k) block_sizes.push_back(strides[k] * static_cast<std::uint64_t>(bins[k]));

    std::string text;
    text.reserve(counters.size() * 4 + 16);
    char number[24];
    for (std::size_t i = 0; i < counters.size(); ++i) {
        const auto end = std::to_chars(number, number + sizeof number, counters[i]).ptr;
        text.append(number, end);
        text += '\t';
        const std::uint64_t written = i + 1;
        if (written == counters.size()) break;
        for (const std::uint64_t block : block_sizes)
            if (written % block == 0) text += '\n';
    }
    text += '\n';

    const bool written = std::fwrite(text.data(), 1, text.size(), out.get()) == text.size() &&
                         std::fflush(out.get()) == 0 && std::fclose(out.release()) == 0;
    if (!written) LOG_ERROR("failed to write histogram %s", file);
    return written;
}
