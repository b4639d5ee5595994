// Any feed text is a failed check with a reason, the running version, or a newer release with a release
// number and a web address; any stamp text keeps only a valid release. Nothing throws.
#include "Updates/ReleaseVersion.h"
#include "Updates/UpdateFeed.h"
#include "Updates/UpdateStamp.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace quorvane;
    using Status = UpdateCheckResult::Status;
    std::string_view text(reinterpret_cast<const char*>(data), size);
    UpdateCheckResult result = UpdateFeed::judge(text, "1.0.1");
    switch (result.status) {
    case Status::available:
        if (!result.release || !UpdateFeed::isValid(*result.release)
            || !ReleaseVersion::isNewer(result.release->version, "1.0.1") || !result.problem.empty())
            std::abort();
        break;
    case Status::upToDate:
        if (result.release || !result.problem.empty())
            std::abort();
        break;
    case Status::failed:
        if (result.release || result.problem.empty())
            std::abort();
        break;
    }
    if (std::optional<UpdateStamp> stamp = UpdateStamp::decode(text)) {
        if (stamp->release && !UpdateFeed::isValid(*stamp->release))
            std::abort();
    }
    return 0;
}
