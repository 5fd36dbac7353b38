// The placement's generator of each engine: the C library's rand() sequence
// after srand(seed), but a state of its own.
#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <vector>

#include "dynamics/scene/PlacementRandom.h"

namespace {

std::vector<int> library_sequence(unsigned seed, int count) {
    std::srand(seed);
    std::vector<int> numbers;
    for (int i = 0; i < count; ++i) numbers.push_back(std::rand());
    return numbers;
}

std::vector<int> engine_sequence(PlacementRandom& random, unsigned seed, int count) {
    random.seed(seed);
    std::vector<int> numbers;
    for (int i = 0; i < count; ++i) numbers.push_back(random.next());
    return numbers;
}

}  // namespace

TEST(PlacementRandom, DrawsWhatRandDrawsAfterSrand) {
    const unsigned seeds[] = {0u, 1u, 2718u, 4711u, 2147483648u, UINT_MAX};
    PlacementRandom random;
    for (const unsigned seed : seeds) {
        SCOPED_TRACE(seed);
        EXPECT_EQ(engine_sequence(random, seed, 5000), library_sequence(seed, 5000));
    }
    EXPECT_EQ(PlacementRandom::max, RAND_MAX);
}

TEST(PlacementRandom, BeforeAnySeedItIsRandUnseeded) {
    PlacementRandom fresh;
    std::vector<int> numbers;
    for (int i = 0; i < 100; ++i) numbers.push_back(fresh.next());
    EXPECT_EQ(numbers, library_sequence(1, 100));
}

// Draws of one engine do not move another's sequence.
TEST(PlacementRandom, EnginesDrawApart) {
    PlacementRandom first, second;
    first.seed(7);
    second.seed(7);
    std::vector<int> a, b;
    for (int i = 0; i < 200; ++i) {
        a.push_back(first.next());
        if (i % 2 == 0) b.push_back(second.next());
    }
    for (int i = 0; i < 100; ++i) b.push_back(second.next());
    EXPECT_EQ(a, b);
}
