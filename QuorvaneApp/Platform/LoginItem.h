#pragma once

namespace quorvane {

// Starting the application when the user logs in.
class LoginItem {
public:
    virtual ~LoginItem() = default;

    // Makes the session start the application at login, or stop doing so. Failures are ignored: the next
    // change of the setting tries again.
    virtual void setEnabled(bool enabled) = 0;
};

} // namespace quorvane
