#pragma once
// Checks that an action throws exactly the given standard exception type with
// the given text.
#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <typeinfo>

namespace matrix_testing {

struct ThrowCase {
    const char* name;
    std::function<void()> action;
    const std::type_info& type;
    std::string text;
};

inline void expect_throws(const ThrowCase& c) {
    SCOPED_TRACE(c.name);
    try {
        c.action();
        ADD_FAILURE() << "no exception";
    } catch (const std::exception& e) {
        EXPECT_EQ(typeid(e), c.type) << "thrown: " << typeid(e).name();
        EXPECT_EQ(e.what(), c.text);
    }
}

}  // namespace matrix_testing
