#include "WebApps/StableIdentity.h"

#include <uuid/uuid.h>

namespace quorvane::StableIdentity {

UUID dataStoreIdentifier(std::string_view bundleIdentifier)
{
    static const UUID space = *UUID::parse(dataStoreNamespace);
    UUID result;
    uuid_generate_sha1(result.bytes.data(), space.bytes.data(), bundleIdentifier.data(), bundleIdentifier.size());
    return result;
}

} // namespace quorvane::StableIdentity
