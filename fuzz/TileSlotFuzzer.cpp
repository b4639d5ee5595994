#include "Tiling/TileSlot.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

// Tile names come from the command line, the configuration file and the settings window.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string_view text(reinterpret_cast<const char*>(data), size);
    if (auto slot = quorvane::parseTileSlot(text)) {
        if (quorvane::parseTileSlot(quorvane::toString(*slot)) != slot)
            std::abort();
    }
    return 0;
}
