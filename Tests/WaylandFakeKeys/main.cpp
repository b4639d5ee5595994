// quorvane-fake-keys CODE...: presses the evdev key codes in order (29 56 33 is Ctrl+Alt+F), then releases them
// in reverse, on the Wayland display of WAYLAND_DISPLAY. Exits 1 when the compositor offers no fake input.
// quorvane-fake-keys --click X Y: moves the pointer to X, Y and clicks the left button there.
#include "fake-input-client.h"

#include <wayland-client.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct Found {
    org_kde_kwin_fake_input* fakeInput = nullptr;
};

void global(void* data, wl_registry* registry, uint32_t name, const char* interface, uint32_t version)
{
    auto* found = static_cast<Found*>(data);
    if (std::strcmp(interface, org_kde_kwin_fake_input_interface.name) == 0 && version >= 4)
        found->fakeInput = static_cast<org_kde_kwin_fake_input*>(
            wl_registry_bind(registry, name, &org_kde_kwin_fake_input_interface, 4));
}

void globalRemove(void*, wl_registry*, uint32_t) { }

} // namespace

int main(int argc, char** argv)
{
    std::vector<uint32_t> codes;
    bool click = argc == 4 && std::strcmp(argv[1], "--click") == 0;
    double x = click ? std::atof(argv[2]) : 0, y = click ? std::atof(argv[3]) : 0;
    for (int index = 1; index < argc && !click; ++index) {
        char* end = nullptr;
        unsigned long code = std::strtoul(argv[index], &end, 10);
        if (!*argv[index] || *end || code > 767) {
            std::fprintf(stderr, "quorvane-fake-keys: not an evdev key code: %s\n", argv[index]);
            return 2;
        }
        codes.push_back(static_cast<uint32_t>(code));
    }
    wl_display* display = wl_display_connect(nullptr);
    if (!display) {
        std::fprintf(stderr, "quorvane-fake-keys: no Wayland display\n");
        return 1;
    }
    Found found;
    wl_registry* registry = wl_display_get_registry(display);
    static const wl_registry_listener listener { global, globalRemove };
    wl_registry_add_listener(registry, &listener, &found);
    wl_display_roundtrip(display);
    if (!found.fakeInput) {
        std::fprintf(stderr, "quorvane-fake-keys: the compositor offers no fake input (version 4)\n");
        wl_display_disconnect(display);
        return 1;
    }
    org_kde_kwin_fake_input_authenticate(found.fakeInput, "quorvane-fake-keys", "Typing keys in tests");
    if (click) {
        constexpr uint32_t leftButton = 272;
        org_kde_kwin_fake_input_pointer_motion_absolute(
            found.fakeInput, wl_fixed_from_double(x), wl_fixed_from_double(y));
        org_kde_kwin_fake_input_button(found.fakeInput, leftButton, WL_POINTER_BUTTON_STATE_PRESSED);
        org_kde_kwin_fake_input_button(found.fakeInput, leftButton, WL_POINTER_BUTTON_STATE_RELEASED);
    }
    for (uint32_t code : codes)
        org_kde_kwin_fake_input_keyboard_key(found.fakeInput, code, WL_KEYBOARD_KEY_STATE_PRESSED);
    for (auto code = codes.rbegin(); code != codes.rend(); ++code)
        org_kde_kwin_fake_input_keyboard_key(found.fakeInput, *code, WL_KEYBOARD_KEY_STATE_RELEASED);
    wl_display_roundtrip(display);
    org_kde_kwin_fake_input_destroy(found.fakeInput);
    wl_registry_destroy(registry);
    wl_display_disconnect(display);
    return 0;
}
