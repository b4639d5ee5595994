#pragma once

#include "Hotkeys/TileAction.h"

#include <string>
#include <variant>

namespace quorvane {

// What a key press asks of the model: a tile action, or a token (an application's identifier or a built-in
// one such as "quorvane.agent").
struct TapAction {
    std::variant<TileAction, std::string> value;

    static TapAction tile(TileAction action) { return { action }; }
    static TapAction token(std::string token) { return { std::move(token) }; }
    // A tile action when `token` reads as one, else the token itself.
    static TapAction forToken(const std::string& token)
    {
        if (std::optional<TileAction> action = TileAction::fromToken(token))
            return tile(*action);
        return TapAction::token(token);
    }

    friend bool operator==(const TapAction&, const TapAction&) = default;
};

} // namespace quorvane
