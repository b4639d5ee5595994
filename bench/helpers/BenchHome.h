#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace quorvane::bench {

// A fresh home folder under the temporary folder, removed with everything in it at the end.
struct BenchHome {
    std::string path;
    BenchHome()
    {
        path = (std::filesystem::temp_directory_path() / "quorvane-bench-XXXXXX").string();
        if (!::mkdtemp(path.data()))
            std::abort();
    }
    ~BenchHome() { std::filesystem::remove_all(path); }
};

} // namespace quorvane::bench
