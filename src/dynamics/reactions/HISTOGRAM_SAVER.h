#pragma once
// A histogram with the file it is saved to. The file name is made anew for
// every experiment from `name_format`, a file-name pattern with the
// placeholders of PDcalc::make_filename. Like the histogram it registers its
// counters with the restart file when constructed and stays where it was
// built.
#include <optional>
#include <string>
#include <utility>

#include "utils/histogram/histogram.h"

struct HISTOGRAM_SAVER : histogram {
    HISTOGRAM_SAVER(int dimensions, const int* bins, std::string format)
        : histogram(dimensions, bins), name_format(std::move(format)) {}

    std::string name_format;               // file-name pattern
    std::optional<std::string> file_name;  // this experiment's file; none when it could not be made
};
