#include "QuorvaneApp/Tiling/TilingActions.h"

#include "Configuration/QuorvaneConfig.h"
#include "QuorvaneApp/Model/AppModel.h"

namespace quorvane {

TilingActions::TilingActions(AppModel& model)
    : m_model(model)
{
}

TilingActions::~TilingActions() = default;

// The tiling issue fills these in; until then commands reach them and nothing moves.
void TilingActions::snap(const std::string&, TileSlot, std::optional<int64_t>) { }

Layout TilingActions::captureLayout(const std::string& name)
{
    return Layout { name, {} };
}

void TilingActions::applyLayout(const std::string&) { }

void TilingActions::census() { }

void TilingActions::performTile(const TileAction&) { }

void TilingActions::toggleTileMode()
{
    m_model.setTileMode(!m_model.tileMode());
    m_model.rebind();
}

void TilingActions::cycleLayouts() { }

} // namespace quorvane
