#pragma once
// Shared helpers of the tests: a fresh temporary folder per test.
#include <atomic>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace tavlora::test {

// A temporary folder removed with its contents when the object goes away.
class TempDir {
public:
    TempDir() {
        static std::atomic<int> counter{0};
        auto base = std::filesystem::temp_directory_path();
        path_ = base / ("tavlora-test-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

}  // namespace tavlora::test
