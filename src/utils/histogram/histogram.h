#pragma once
// A dense multi-dimensional array of 64-bit event counters with a running
// total, saved as a tab-separated text table. Counters and total are restart
// blocks: a histogram registers them when it is constructed, so it must be
// built while the restart registration is open, and it stays where it was
// built (it cannot be copied or moved).
#include <cstdint>
#include <optional>
#include <vector>

class histogram {
public:
    // `dimensions` bin counts (below 1 taken as 1). No dimension gives one
    // counter that nothing adds to. Throws std::invalid_argument for a
    // negative dimension count and std::length_error for a table too large to
    // address.
    histogram(int dimensions, const int* bins);
    ~histogram() = default;

    histogram(const histogram&) = delete;
    histogram& operator=(const histogram&) = delete;

    // Total and every counter to 0.
    void reset();

    // For a dimension with at least 3 bins: bin 0 takes values below min,
    // bins 1 to bins-2 split [min, max) evenly, the last bin takes max and
    // above. Does nothing for an unknown dimension or fewer bins. Throws
    // std::invalid_argument unless min and max are finite with max > min.
    void setTransform(double min, double max, int dimension);

    // The bin of `value` under the dimension's transform; -infinity and
    // +infinity fall in the first and the last bin. Throws std::out_of_range
    // for an unknown dimension, std::logic_error when the dimension has no
    // transform and std::invalid_argument for a value that is not a number.
    int getTransform(double value, int dimension) const;

    // Counts one event in the cell with one index per dimension. Nothing for
    // a histogram without dimensions, nor once the total has reached the
    // largest signed 64-bit value. Throws std::out_of_range for an index
    // outside its dimension.
    void add(const int* indices);
    // The one index of a one-dimensional histogram (std::logic_error for more
    // dimensions).
    void add(int index);
    // The bin of `value` under the transform of dimension 0.
    void add(double value);

    // Writes the table to `file` (nothing for no name): rewritten, or
    // appended to with `append`; `report` reports the overwrite of an existing
    // file. Counters are written in storage order, each followed by a tab; a
    // line ends after every row of the first dimension, an empty line after
    // every plane of the first two, and so on; the table ends with a line end.
    // Returns false, after logging why, when the file cannot be opened or
    // written.
    bool save(const char* file, bool report, bool append) const;

    int dimension_count() const { return dimensions; }
    // Bins of a dimension; 0 for a dimension the histogram does not have.
    std::int64_t bin_count(int dimension) const {
        return dimension >= 0 && dimension < dimensions ? bins[static_cast<std::size_t>(dimension)] : 0;
    }
    std::uint64_t total_count() const { return total; }
    std::uint64_t counter(std::size_t cell) const { return counters.at(cell); }
    std::size_t cell_count() const { return counters.size(); }

private:
    struct Transform {
        double min;
        double width;
    };

    std::int32_t dimensions;
    std::vector<std::int64_t> bins;
    std::vector<std::uint64_t> strides;  // bins[0] × ... × bins[k-1]
    std::vector<std::optional<Transform>> transforms;
    std::vector<std::uint64_t> counters;
    std::uint64_t total = 0;

    static_assert(sizeof(std::uint64_t) == 8, "restart blocks of a histogram are 8-byte words");
};
