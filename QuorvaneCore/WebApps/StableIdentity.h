#pragma once

#include "Support/UUID.h"

#include <string_view>

namespace quorvane {

// Identifiers that stay the same for the same web app, so that re-creating it keeps its data.
namespace StableIdentity {

inline constexpr std::string_view dataStoreNamespace = "5D1A7E30-2B9C-4E61-9F04-7A3C8B2E1D55";

// The name-based (version 5) UUID of `bundleIdentifier`'s UTF-8 bytes in `dataStoreNamespace`.
UUID dataStoreIdentifier(std::string_view bundleIdentifier);

} // namespace StableIdentity

} // namespace quorvane
