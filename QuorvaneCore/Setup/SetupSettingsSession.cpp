#include "Setup/SetupSettingsSession.h"

#include "Setup/SettingsPresence.h"

namespace quorvane {

void SetupSettingsSession::noteButtonClick(SettingsPresence presence)
{
    // A window that was already there, or a list that could not be read, is not ours to close.
    if (presence == SettingsPresence::absent)
        openedByQuorvane = true;
}

} // namespace quorvane
