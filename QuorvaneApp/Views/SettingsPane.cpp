#include "QuorvaneApp/Views/SettingsPane.h"

#include "QuorvaneApp/State/Banner.h"
#include "RPC/RPCResponse.h"

namespace quorvane {

void SettingsPane::report(BannerSink& banner, const RPCResponse& response)
{
    banner.setBanner(response.message, response.exitCode == 0);
}

} // namespace quorvane
