#include "utils/platform/Paths.h"

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <unistd.h>

namespace platform {

std::optional<std::string> real_path(const std::string& path) {
    // With a null buffer realpath allocates one of the right size.
    const std::unique_ptr<char, decltype(&std::free)> resolved(::realpath(path.c_str(), nullptr), &std::free);
    if (resolved == nullptr) return std::nullopt;
    return std::string(resolved.get());
}

std::string resolved_as_far_as_possible(const std::string& path) {
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(path, error);
    if (error) return std::filesystem::path(path).lexically_normal().string();
    const std::filesystem::path resolved = std::filesystem::weakly_canonical(absolute, error);
    return (error ? absolute.lexically_normal() : resolved).string();
}

std::string folder_part(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) return {};
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

int change_directory(const std::string& path) { return ::chdir(path.c_str()); }

std::optional<std::string> current_directory() {
    std::error_code error;
    const std::filesystem::path current = std::filesystem::current_path(error);
    if (error) return std::nullopt;
    return current.string();
}

}  // namespace platform
