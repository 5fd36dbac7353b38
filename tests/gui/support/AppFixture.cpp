#include "gui/support/AppFixture.h"

namespace gui_testing {

AppFixture::AppFixture() = default;

AppFixture::~AppFixture() { stop(); }

void AppFixture::start(const std::vector<std::string>& arguments, DocumentOpener opener) {
    stop();
    if (opener) {
        app = std::make_unique<ShowApplication>(std::move(opener));
        ASSERT_TRUE(app->start(arguments));
        pump();
        return;
    }
    app = std::make_unique<ShowApplication>([this](const std::string& path) -> std::unique_ptr<ShowDocument> {
        opened.push_back(path);
        if (refused.contains(path)) return nullptr;
        TestDocumentSpec spec;
        if (const auto found = specs.find(path); found != specs.end()) spec = found->second;
        else spec.frames = moving_frames(10);
        spec.path = path;
        spec.closed = &closed;
        const std::string trajectory = folders.work().file("trajectory." + std::to_string(opened.size()) + ".bin");
        return std::make_unique<TestDocument>(std::move(spec), trajectory);
    });
    ASSERT_TRUE(app->start(arguments));
    pump();
}

void AppFixture::stop() {
    if (!app) return;
    app.reset();
    pump();
}

TestDocument* AppFixture::open(const std::string& path) { return dynamic_cast<TestDocument*>(app->open(path)); }

}  // namespace gui_testing
