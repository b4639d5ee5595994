#include "QuorvaneApp/Model/ApplicationIds.h"

#include "QuorvaneApp/Platform/Applications.h"

#include <algorithm>

namespace quorvane {

bool isApplicationId(Applications& applications, const std::string& word)
{
    if (word.empty())
        return false;
    std::vector<RunningApplication> running = applications.running();
    bool runs = std::any_of(running.begin(), running.end(),
        [&](const RunningApplication& application) { return application.bundleIdentifier == word; });
    return runs || applications.locate(word).has_value();
}

} // namespace quorvane
