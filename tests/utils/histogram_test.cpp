#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <limits>
#include <stdexcept>
#include <string>
#include <vector>

#include "support/LoggedText.h"
#include "support/TempDir.h"
#include "utils/backup/backup.h"
#include "utils/histogram/histogram.h"

using testing_support::logged_text;
using testing_support::read_file;
using testing_support::TempDir;
using testing_support::write_file;

namespace {

class Histogram : public testing::Test {
protected:
    void SetUp() override { backup::init((dir.path().string() + "/").c_str()); }
    void TearDown() override { backup::reset(); }

    std::string saved(const histogram& h) {
        const std::string name = dir.file("table.txt");
        EXPECT_TRUE(h.save(name.c_str(), false, false));
        return read_file(name);
    }

    TempDir dir;
};

}  // namespace

TEST_F(Histogram, TablesRunTheFirstDimensionAlongTheLine) {
    struct Case {
        std::vector<int> bins;
        std::vector<std::vector<int>> events;
        const char* table;
    };
    const Case cases[] = {
        {{3, 2}, {{2, 1}, {2, 1}, {0, 0}, {1, 1}}, "1\t0\t0\t\n0\t1\t2\t\n"},
        {{2, 2, 2}, {{1, 0, 1}}, "0\t0\t\n0\t0\t\n\n0\t1\t\n0\t0\t\n"},
        {{4}, {{3}, {0}, {3}}, "1\t0\t0\t2\t\n"},
        {{0, -3}, {{0, 0}}, "1\t\n"},  // bin counts below 1 are 1
        {{}, {}, "0\t\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.table);
        histogram h(static_cast<int>(c.bins.size()), c.bins.data());
        for (const auto& indices : c.events) h.add(indices.data());
        EXPECT_EQ(h.total_count(), c.events.size());
        EXPECT_EQ(saved(h), c.table);
    }
}

TEST_F(Histogram, AppendedTablesStartOnTheirOwnLine) {
    const int bins[] = {3};
    histogram h(1, bins);
    h.add(1);
    const std::string name = dir.file("native.txt");
    ASSERT_TRUE(h.save(name.c_str(), false, true));
    h.add(2);
    ASSERT_TRUE(h.save(name.c_str(), false, true));
    EXPECT_EQ(read_file(name), "0\t1\t0\t\n0\t1\t1\t\n");
    h.reset();
    ASSERT_TRUE(h.save(name.c_str(), false, false));
    EXPECT_EQ(read_file(name), "0\t0\t0\t\n");
}

TEST_F(Histogram, OverwritingIsReportedOnlyWhenAsked) {
    const int bins[] = {2};
    histogram h(1, bins);
    const std::string name = dir.file("stats.txt");
    write_file(name, "old");
    EXPECT_EQ(logged_text([&] { h.save(name.c_str(), false, false); }), "");
    EXPECT_EQ(logged_text([&] { h.save(name.c_str(), true, false); }), "warning: overwriting file " + name + "\n");
    EXPECT_TRUE(h.save(nullptr, true, false));
    EXPECT_TRUE(h.save("", true, false));
}

TEST_F(Histogram, SaveFailuresAreReported) {
    const int bins[] = {2};
    histogram h(1, bins);
    const std::string missing = dir.file("missing/stats.txt");
    bool written = true;
    EXPECT_EQ(logged_text([&] { written = h.save(missing.c_str(), false, false); }),
              "warning: could not open " + missing + "\n");
    EXPECT_FALSE(written);

    if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    const std::string log = logged_text([&] { written = h.save("/dev/full", false, true); });
    EXPECT_FALSE(written);
    EXPECT_NE(log.find("error: failed to write histogram /dev/full\n"), std::string::npos) << log;
}

TEST_F(Histogram, TransformMapsValuesToBins) {
    const int bins[] = {12, 2};
    histogram h(2, bins);
    h.setTransform(0, 10, 0);
    struct Case {
        double value;
        int bin;
    };
    const double infinity = std::numeric_limits<double>::infinity();
    const Case cases[] = {{-0.5, 0}, {0, 1},    {9.99, 10}, {10, 11},        {100, 11},
                          {-1e300, 0}, {1e300, 11}, {-infinity, 0}, {infinity, 11}, {-1.0, 0}};
    for (const Case& c : cases) EXPECT_EQ(h.getTransform(c.value, 0), c.bin) << c.value;

    h.setTransform(0, 1, 1);  // two bins: nothing
    EXPECT_THROW(h.getTransform(0.5, 1), std::logic_error);
    h.setTransform(0, 1, 5);  // no such dimension: nothing
    EXPECT_THROW(h.getTransform(0.5, 5), std::out_of_range);
    EXPECT_THROW(h.getTransform(std::numeric_limits<double>::quiet_NaN(), 0), std::invalid_argument);
    EXPECT_THROW(h.setTransform(1, 1, 0), std::invalid_argument);
    EXPECT_THROW(h.setTransform(0, infinity, 0), std::invalid_argument);
}

TEST_F(Histogram, ValuesAreCountedInTheirBins) {
    const int bins[] = {4};
    histogram h(1, bins);
    h.setTransform(0, 2, 0);  // width 1
    for (const double v : {-3.0, 0.0, 0.5, 1.5, 2.0, 7.0}) h.add(v);
    EXPECT_EQ(saved(h), "1\t2\t1\t2\t\n");
    EXPECT_THROW(h.add(std::numeric_limits<double>::quiet_NaN()), std::invalid_argument);
    EXPECT_EQ(h.total_count(), 6u);
}

TEST_F(Histogram, IndicesOutsideTheTableAreRefused) {
    const int bins[] = {3, 2};
    histogram h(2, bins);
    for (const std::vector<int>& indices : std::vector<std::vector<int>>{{3, 0}, {0, 2}, {-1, 0}, {0, -1}})
        EXPECT_THROW(h.add(indices.data()), std::out_of_range);
    EXPECT_THROW(h.add(0), std::logic_error);  // one index for two dimensions
    EXPECT_EQ(h.total_count(), 0u);
    EXPECT_EQ(saved(h), "0\t0\t0\t\n0\t0\t0\t\n");

    const int one[] = {3};
    histogram line(1, one);
    EXPECT_THROW(line.add(3), std::out_of_range);
    EXPECT_THROW(histogram(-1, one), std::invalid_argument);
}

TEST_F(Histogram, CountsAreRestartBlocks) {
    const int bins[] = {3, 2};
    histogram h(2, bins);
    EXPECT_EQ(backup::signature(), 6 * 8 + 8u);
    const int cell[] = {2, 1};
    h.add(cell);
    h.add(cell);
    ASSERT_TRUE(backup::write(false, 1));
    const std::string table = saved(h);
    h.reset();
    for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
        if (entry.path().extension() == ".backup") backup::read(entry.path().c_str());
    EXPECT_EQ(h.total_count(), 2u);
    EXPECT_EQ(h.counter(5), 2u);
    EXPECT_EQ(saved(h), table);
}

TEST_F(Histogram, CountingStopsAtTheLargestSignedTotal) {
    const int bins[] = {2};
    histogram h(1, bins);
    // A restart file whose total is one below the limit.
    const std::uint64_t signature = 3 * 8;
    const std::uint64_t words[] = {signature, 5, 6, static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()) - 1};
    const std::string name = dir.file("near_limit.backup");
    write_file(name, std::string(reinterpret_cast<const char*>(words), sizeof words));
    backup::read(name.c_str());
    h.add(1);
    h.add(1);
    EXPECT_EQ(h.total_count(), static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()));
    EXPECT_EQ(h.counter(1), 7u);
}

TEST_F(Histogram, AHistogramCannotBeBuiltAfterRegistrationCloses) {
    backup::init_complete();
    const int bins[] = {2};
    try {
        histogram late(1, bins);
        FAIL() << "no exception";
    } catch (const char* text) {
        EXPECT_STREQ(text, "backup::add call out of order");
    }
}
