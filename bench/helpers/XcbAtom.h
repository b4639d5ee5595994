#pragma once

#include <xcb/xcb.h>

#include <cstdlib>
#include <string_view>

namespace quorvane::bench {

// The atom named `name` on this connection, interned if need be; XCB_ATOM_NONE when the server does not answer.
inline xcb_atom_t internAtom(xcb_connection_t* connection, std::string_view name)
{
    auto* reply = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, static_cast<uint16_t>(name.size()), name.data()), nullptr);
    xcb_atom_t value = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(reply);
    return value;
}

} // namespace quorvane::bench
