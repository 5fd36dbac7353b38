// The compartments read from the configuration section "Compartments".
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "dynamics/PDcalc.h"
#include "support/LoggedText.h"
#include "utils/config/RootSection.h"

namespace {

// An engine whose configuration is a tree built in memory.
class Compartments : public ::testing::Test {
protected:
    void SetUp() override {
        auto tree = std::make_unique<RootSection>("t", false);
        root = tree.get();
        engine.config = std::move(tree);
    }

    void set(const char* path, std::vector<double> values) {
        ASSERT_TRUE(root->SetDoubles(values.data(), static_cast<int>(values.size()), path));
    }

    // geometry_init's log lines, or the text it threw.
    std::string run() {
        std::string thrown;
        std::string text = testing_support::logged_text([&] {
            try {
                engine.geometry_init();
            } catch (const char* message) {
                thrown = message;
            } catch (const std::string& message) {
                thrown = message;
            }
        });
        return thrown.empty() ? text : "thrown: " + thrown;
    }

    PDcalc engine;
    RootSection* root = nullptr;
};

TEST_F(Compartments, PeriodicBoxIsCentredOnTheOrigin) {
    set("Compartments.cell.halfsize", {50, 50, 50});
    set("Compartments.cell.center", {7, 7, 7});  // not read for a periodic box
    const std::string text = run();
    EXPECT_NE(text.find("message: Compartment \"cell\" volume 1.000000e-24m^3\n"), std::string::npos) << text;
    ASSERT_EQ(engine.model.compartments_n, 1);
    const COMPARTMENT& c = engine.model.compartments[0];
    EXPECT_EQ(c.type, 0);
    EXPECT_EQ(c.dimension, 3);
    for (const double v : {c.center.x, c.center.y, c.center.z}) EXPECT_EQ(v, 0.0);
    for (const double v : {c.lower.x, c.lower.y, c.lower.z}) EXPECT_DOUBLE_EQ(v, -5e-9);
    for (const double v : {c.upper.x, c.upper.y, c.upper.z}) EXPECT_DOUBLE_EQ(v, 5e-9);
    for (const double v : {c.size.x, c.size.y, c.size.z}) EXPECT_DOUBLE_EQ(v, 1e-8);
    EXPECT_DOUBLE_EQ(c.volume, 1e-24);
    EXPECT_EQ(engine.model.compartment_index.at("cell"), 0);
}

TEST_F(Compartments, ClosedBoxesAndBoxesWithoutBoundary) {
    set("Compartments.membrane.type", {1});
    set("Compartments.membrane.dimension", {2});
    set("Compartments.membrane.center", {10, 0, -4});
    set("Compartments.membrane.halfsize", {5, 10, 20});
    set("Compartments.space.type", {2});
    set("Compartments.space.center", {1, 2, 3});
    run();
    ASSERT_EQ(engine.model.compartments_n, 2);
    const COMPARTMENT& box = engine.model.compartments[0];
    EXPECT_EQ(box.type, 1);
    EXPECT_EQ(box.dimension, 2);
    EXPECT_DOUBLE_EQ(box.center.x, 1e-9);
    EXPECT_DOUBLE_EQ(box.lower.x, 5e-10);
    EXPECT_DOUBLE_EQ(box.upper.x, 1.5e-9);
    EXPECT_DOUBLE_EQ(box.lower.y, -1e-9);
    EXPECT_DOUBLE_EQ(box.upper.z, 1.6e-9);
    EXPECT_DOUBLE_EQ(box.size.z, 4e-9);
    EXPECT_DOUBLE_EQ(box.volume, 1e-9 * 2e-9 * 4e-9);
    // Any other type: no bounds and no volume, whatever its keys say.
    const COMPARTMENT& space = engine.model.compartments[1];
    EXPECT_EQ(space.type, 2);
    EXPECT_DOUBLE_EQ(space.center.z, 3e-10);
    EXPECT_EQ(space.volume, 0.0);
    EXPECT_EQ(space.size.x, 0.0);
    EXPECT_EQ(engine.model.compartment_index.at("membrane"), 0);
    EXPECT_EQ(engine.model.compartment_index.at("space"), 1);
}

TEST_F(Compartments, NoCompartmentDefined) {
    EXPECT_EQ(run(), "thrown: No compartment defined");
    root->CreateSection("Compartments");
    EXPECT_EQ(run(), "thrown: No compartment defined");
}

// A periodic or closed box without a positive, finite half-size along every
// axis has no inside (and a periodic one nothing to fold by).
TEST_F(Compartments, HalfSizeMustBePositiveAlongEveryAxis) {
    struct Case {
        int type;
        std::vector<double> halfsize;  // empty: the key is missing
    };
    const double inf = std::numeric_limits<double>::infinity();
    const std::vector<Case> cases = {
        {0, {}}, {1, {}}, {0, {50, 50}}, {0, {50, 0, 50}}, {1, {50, 50, -1}}, {0, {inf, 50, 50}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "type " << c.type << ", " << c.halfsize.size() << " numbers");
        root->Destroy("Compartments");
        set("Compartments.box.type", {double(c.type)});
        if (!c.halfsize.empty()) set("Compartments.box.halfsize", c.halfsize);
        EXPECT_EQ(run(), "thrown: Compartment \"box\": \"halfsize\" must be three positive numbers");
    }
}

}  // namespace
