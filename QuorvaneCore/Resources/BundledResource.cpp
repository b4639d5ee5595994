#include "Resources/BundledResource.h"

#include <algorithm>

namespace quorvane::BundledResource {

// Defined in the source file the build generates from the Resources folder.
extern const Entry bundledEntries[];
extern const size_t bundledEntryCount;

std::optional<std::string_view> data(std::string_view name)
{
    for (size_t index = 0; index < bundledEntryCount; ++index) {
        const Entry& entry = bundledEntries[index];
        if (name == entry.name)
            return std::string_view(reinterpret_cast<const char*>(entry.bytes), entry.size);
    }
    return std::nullopt;
}

std::vector<std::string_view> names()
{
    std::vector<std::string_view> result;
    for (size_t index = 0; index < bundledEntryCount; ++index)
        result.push_back(bundledEntries[index].name);
    std::sort(result.begin(), result.end());
    return result;
}

} // namespace quorvane::BundledResource
