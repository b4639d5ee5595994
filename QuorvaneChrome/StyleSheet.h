#pragma once

typedef struct _GdkScreen GdkScreen;

namespace quorvane {

// Adds `css` (a string with static storage) to `screen`'s styles, above the theme's, once per sheet and screen;
// the default screen when none is given. Main thread only.
void installStyleSheet(const char* css, GdkScreen* screen = nullptr);

} // namespace quorvane
