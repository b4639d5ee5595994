#pragma once

#include <string>

namespace quorvane {

// Removal of the temporary files that killed atomic writes leave behind.
namespace TemporaryFileSweep {

// Whether `name` is an atomic write's temporary file: ".quorvane-" … ".tmp".
bool isTemporaryName(const std::string& name);

// Removes from `folder` (not below it) the regular files with a temporary name that were last changed more
// than `minimumAgeSeconds` ago, so a write in progress is never touched. Gives how many went; a missing
// or unreadable folder removes nothing.
int sweep(const std::string& folder, double minimumAgeSeconds);

} // namespace TemporaryFileSweep

} // namespace quorvane
