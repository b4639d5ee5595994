#pragma once

#include <string>

namespace quorvane {

// Questions to the login's D-Bus session bus.
namespace SessionBus {

// Whether some connection owns the bus name `name`; false when there is no session bus or it does not answer
// within a second. Blocks the caller for that round trip.
bool nameHasOwner(const std::string& name);

// Keeps the process running when the session bus goes away, which would otherwise end it: GIO's shared
// connection to the bus raises SIGTERM when it closes. Does nothing without a session bus.
void surviveItsEnd();

} // namespace SessionBus

} // namespace quorvane
