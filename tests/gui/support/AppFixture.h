#pragma once
// An application object started with a temporary home and working folder;
// its documents are TestDocuments (TestDocument.h) made from the spec
// registered for their path (a path without one opens the default spec with
// 10 frames; a path in `refused` does not open).
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <set>
#include <string>

#include "gui/CMainFrame.h"
#include "gui/ShowApplication.h"
#include "gui/support/TestDocument.h"
#include "gui/support/WxTesting.h"

namespace gui_testing {

class AppFixture : public testing::Test {
protected:
    AppFixture();
    ~AppFixture() override;

    // Starts (or restarts) the application object; with `opener` its
    // documents are those it opens instead.
    void start(const std::vector<std::string>& arguments = {}, DocumentOpener opener = {});
    void stop();

    TestDocument* open(const std::string& path);

    CMainFrame& frame() const { return *app->main_frame(); }

    TempHome folders;
    std::map<std::string, TestDocumentSpec> specs;
    std::set<std::string> refused;
    std::vector<std::string> opened;  // paths the opener was asked for
    std::vector<std::string> closed;  // paths of the documents closed
    std::unique_ptr<ShowApplication> app;
};

}  // namespace gui_testing
