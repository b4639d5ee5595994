#pragma once

namespace quorvane {

// What pressing a permission button does.
struct PermissionOpenPlan {
    bool opensSettings = false;
    bool placesSetupBesideSettings = false;

    // The plan of one press, the same whether or not the permission is already granted.
    static PermissionOpenPlan opening(bool alreadyGranted);

    friend bool operator==(const PermissionOpenPlan&, const PermissionOpenPlan&) = default;
};

} // namespace quorvane
