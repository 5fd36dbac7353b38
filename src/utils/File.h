#pragma once
// An open C stream that closes itself.
#include <cstdio>
#include <memory>

struct FileCloser {
    void operator()(std::FILE* file) const noexcept {
        if (file != nullptr) std::fclose(file);
    }
};

using FilePtr = std::unique_ptr<std::FILE, FileCloser>;
