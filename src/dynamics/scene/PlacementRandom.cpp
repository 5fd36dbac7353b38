#include "dynamics/scene/PlacementRandom.h"

#include <stdexcept>

PlacementRandom::PlacementRandom() { seed(1); }

void PlacementRandom::seed(unsigned seed) {
    data_ = random_data{};  // the generator reads the old state's fields when they are set
    if (initstate_r(seed, reinterpret_cast<char*>(state_.data()), sizeof state_, &data_) != 0)
        throw std::logic_error("the placement's random generator refuses its state");
}

int PlacementRandom::next() {
    std::int32_t value = 0;
    random_r(&data_, &value);
    return value;
}
