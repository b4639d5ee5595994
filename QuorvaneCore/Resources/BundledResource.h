#pragma once

#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

namespace quorvane {

// Files of the repository's Resources folder, built into the program as byte arrays.
namespace BundledResource {

// The bytes of the resource with file name `name` (such as "FallbackIcon.icns"), or nothing.
std::optional<std::string_view> data(std::string_view name);

// The names of all bundled resources, sorted.
std::vector<std::string_view> names();

// One row of the table the build generates.
struct Entry {
    const char* name;
    const unsigned char* bytes;
    size_t size;
};

} // namespace BundledResource

} // namespace quorvane
