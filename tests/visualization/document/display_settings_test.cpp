// The display settings a document reads from its configuration: the scene
// box, the visualisation types, each species' colours, pot_m and shapes,
// and what the views are handed.
#include <gtest/gtest.h>

#include "visualization/document/DocumentFixture.h"

using namespace document_testing;

namespace {

// Opens the configuration `text` for playback of an (empty) trajectory.
class DisplaySettings : public DocumentTest {
protected:
    std::unique_ptr<CShowDoc> open(const std::string& text, const std::vector<std::string>& shape_files = {}) {
        folder = std::make_unique<RunFolder>(text);
        for (std::size_t i = 0; i + 1 < shape_files.size(); i += 2)
            write_file((folder->out() / shape_files[i]).string(), shape_files[i + 1]);
        write_file((folder->out() / "trajectory.bin").string(), "");
        auto doc = std::make_unique<CShowDoc>(answers.asker());
        EXPECT_TRUE(doc->OnOpenDocument(folder->config())) << log();
        return doc;
    }

    ScriptedAnswers answers{{Answer::no, Answer::no}};
    std::unique_ptr<RunFolder> folder;
};

const std::string two_triangles = "6\n0 0 0\n1 0 0\n0 1 0\n0 0 1\n1 0 1\n0 1 1\n";

TEST_F(DisplaySettings, SceneTypesAndShapesPerSpeciesAndType) {
    const auto doc = open(viewer_configuration("", R"(surface = "a.surface"  outline = "a.outline"  pot_m = 0.25)",
                                               R"(outline = "b.outline")",
                                               R"(Scene { xmin = -50  xmax = 40  zmax = 30 }
                                                  types { surface { }  outline { }  atoms { } })"),
                          {"a.surface", two_triangles, "a.outline", "3\n0 0 0\n1 0 0\n0 1 0\n", "b.outline", "7\n" + two_triangles + "5 5 5\n"});
    EXPECT_EQ(doc->types_n(), 3);
    EXPECT_EQ(doc->type_names(), (std::vector<std::string>{"surface", "outline", "atoms"}));
    const SceneBox& box = doc->scene_box();
    EXPECT_EQ(box.xmin, -50.0);
    EXPECT_EQ(box.xmax, 40.0);
    EXPECT_EQ(box.ymin, -100.0);
    EXPECT_EQ(box.ymax, 100.0);
    EXPECT_EQ(box.zmin, -100.0);
    EXPECT_EQ(box.zmax, 30.0);

    ASSERT_EQ(doc->objects().size(), 2u);
    const C3DObject& a = doc->objects()[0];
    const C3DObject& b = doc->objects()[1];
    ASSERT_EQ(a.shapes.size(), 3u);
    ASSERT_EQ(b.shapes.size(), 3u);
    EXPECT_EQ(a.shapes[0].triangle_count(), 2u);
    EXPECT_EQ(a.shapes[1].triangle_count(), 1u);
    EXPECT_TRUE(a.shapes[2].empty());
    EXPECT_TRUE(b.shapes[0].empty());
    EXPECT_EQ(b.shapes[1].triangle_count(), 2u);  // a count of 7: two triangles
    EXPECT_EQ(a.pot_m, 0.25);
    EXPECT_EQ(b.pot_m, 1.0);
    for (const char* line : {"message: Generating A shapes for surface visualization...",
                             "message: Generating B shapes for atoms visualization..."})
        EXPECT_TRUE(contains(log(), line)) << line;

    const SceneDescription& scene = doc->scene();
    EXPECT_EQ(scene.instances, 8u);
    ASSERT_EQ(scene.species.size(), 2u);
    EXPECT_EQ(scene.species[0].object, &a);
    ASSERT_TRUE(scene.species[0].potential.has_value());
    const PROT_CLASS& species = doc->engine()->model.species[0];
    EXPECT_EQ(scene.species[0].potential->pot_n, species.pot_n);
    EXPECT_DOUBLE_EQ(scene.species[0].potential->step, 3.0);
    EXPECT_EQ(scene.species[0].potential->values.data(), species.pot.data());
}

TEST_F(DisplaySettings, AnEmptyTypesSectionHasNoTypes) {
    const auto doc = open(viewer_configuration("", R"(surface = "a.surface")", "", "types { }"),
                          {"a.surface", two_triangles});
    EXPECT_EQ(doc->types_n(), 0);
    EXPECT_TRUE(doc->objects()[0].shapes.empty());
    EXPECT_FALSE(contains(log(), "Generating"));
    EXPECT_FALSE(contains(log(), "Visualisation.types: the species"));
}

TEST_F(DisplaySettings, AMissingTypesSectionIsNoTypesWithAWarning) {
    const auto doc = open(viewer_configuration());
    EXPECT_EQ(doc->types_n(), 0);
    EXPECT_TRUE(doc->objects()[1].shapes.empty());
    EXPECT_TRUE(contains(log(), "showDoc.cpp")) << log();
    EXPECT_TRUE(contains(log(), "warning: the configuration has no section Visualisation.types: the species have "
                                "no shapes to show"))
        << log();
}

struct ColourCase {
    const char* name;
    const char* keys;
    std::vector<Rgba> colours;
};

class Colours : public DisplaySettings, public testing::WithParamInterface<ColourCase> {};

TEST_P(Colours, FollowColorThenColorsEachEntryInheritingWhatItLeavesOut) {
    const auto doc = open(viewer_configuration("", GetParam().keys));
    EXPECT_EQ(doc->objects()[0].colors, GetParam().colours);
    EXPECT_TRUE(doc->objects()[1].colors.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Table, Colours,
    testing::Values(
        ColourCase{"None", "", {}},
        ColourCase{"ColorOnly", "color = [0.5, 0.25, 0, 0.75]", {Rgba{{0.5, 0.25, 0, 0.75}}}},
        ColourCase{"ColorShortKeepsWhite", "color = [0.5]", {Rgba{{0.5, 1, 1, 1}}}},
        ColourCase{"ColorsOnly",
                   "colors { free = [1, 0, 0, 1]  bound = [0, 1, 0, 0.5] }",
                   {Rgba{{1, 0, 0, 1}}, Rgba{{0, 1, 0, 0.5}}}},
        ColourCase{"Both",
                   "color = [0, 0, 1, 1]  colors { contact = [1, 1, 0, 1] }",
                   {Rgba{{0, 0, 1, 1}}, Rgba{{1, 1, 0, 1}}}},
        ColourCase{"ShortEntryInherits",
                   "color = [0.1, 0.2, 0.3, 0.4]  colors { a = [0.9]  b = [0.5, 0.6] }",
                   {Rgba{{0.1, 0.2, 0.3, 0.4}}, Rgba{{0.9, 0.2, 0.3, 0.4}}, Rgba{{0.5, 0.6, 0.3, 0.4}}}}),
    [](const testing::TestParamInfo<ColourCase>& info) { return std::string(info.param.name); });

}  // namespace
