#pragma once

// xcb's XKB header names a structure field `explicit`, a C++ keyword; C++ code includes it through here.
#define explicit explicit_
#include <xcb/xkb.h>
#undef explicit
