#pragma once

#include <string>

namespace quorvane {

class Applications;

// Whether `word` is the identifier of an application on this desktop: one that runs, or one the desktop can
// locate (an installed desktop file). Lets dotless identifiers such as "xterm" name applications.
bool isApplicationId(Applications&, const std::string& word);

} // namespace quorvane
