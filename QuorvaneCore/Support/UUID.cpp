#include "Support/UUID.h"

#include <uuid/uuid.h>

namespace quorvane {

std::string UUID::uuidString() const
{
    char text[UUID_STR_LEN] = {};
    uuid_unparse_upper(bytes.data(), text);
    return text;
}

UUID UUID::random()
{
    UUID uuid;
    uuid_generate_random(uuid.bytes.data());
    return uuid;
}

std::optional<UUID> UUID::parse(std::string_view text)
{
    UUID uuid;
    if (text.size() != UUID_STR_LEN - 1 || uuid_parse_range(text.data(), text.data() + text.size(), uuid.bytes.data()))
        return std::nullopt;
    return uuid;
}

} // namespace quorvane
