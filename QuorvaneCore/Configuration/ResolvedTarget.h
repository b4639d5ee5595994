#pragma once

#include "Configuration/QuorvaneConfig.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace quorvane {

// What a user's application word names: one of the configured web apps, or a bundle identifier.
struct ResolvedTarget {
    enum class Kind : uint8_t {
        webApp,
        bundle,
    };

    Kind kind = Kind::bundle;
    // The web app, for webApp.
    WebAppRecord record;
    // The identifier as the user wrote it, for bundle.
    std::string identifier;

    static ResolvedTarget webApp(WebAppRecord record) { return { Kind::webApp, std::move(record), {} }; }
    static ResolvedTarget bundle(std::string identifier) { return { Kind::bundle, {}, std::move(identifier) }; }

    // The bundle identifier of the application the target names.
    const std::string& bundleIdentifier() const
    {
        return kind == Kind::webApp ? record.spec.bundleIdentifier : identifier;
    }

    friend bool operator==(const ResolvedTarget&, const ResolvedTarget&) = default;
};

// The first web app whose slug, name or bundle identifier equals `text` ignoring case; else `text` itself as a
// bundle identifier when it contains "." and neither white space nor "/"; else nothing.
std::optional<ResolvedTarget> resolveTarget(std::string_view text, const QuorvaneConfig& config);

// Answers whether a word is the identifier of an application the desktop knows (an installed desktop file,
// or a running application); absent where no such question can be asked.
using ApplicationIdCheck = std::function<bool(const std::string& word)>;

// As above; then, for a word that names nothing so, `text` as a bundle identifier when it holds neither
// white space nor "/" nor a control character and `isApplicationId` knows it. Desktop-file ids such as
// "xterm" or "firefox-esr" have no dot.
std::optional<ResolvedTarget> resolveTarget(
    std::string_view text, const QuorvaneConfig& config, const ApplicationIdCheck& isApplicationId);

} // namespace quorvane
