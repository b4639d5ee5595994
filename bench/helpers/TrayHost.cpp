// A StatusNotifier host for whole-process figures: owns the watcher's name, waits for the application's item,
// reads its menu, turns tile mode on and off from it (so the overlay's panels exist), says "ready" and then
// stays until it is stopped. Run on a desktop with a session bus.
#include "X11/TestTrayHost.h"

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <thread>

namespace {

bool waitFor(const std::function<bool()>& condition)
{
    for (int tries = 0; tries < 1000; ++tries) {
        if (condition())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

} // namespace

int main()
{
    quorvane::test::TestTrayHost host;
    auto title = [&](const char* wanted) { return host.property("Title") == std::string(wanted); };
    if (!waitFor([&] { return !host.registrations().empty() && title("Quorvane"); })) {
        std::fputs("no item registered\n", stderr);
        return 1;
    }
    std::optional<quorvane::test::TrayMenuItem> menu = host.menu();
    std::string line = "Tile Mode (ctrl+opt+space)";
    if (!menu || !host.click(line) || !waitFor([&] { return title("Quorvane, tile mode on"); }) || !host.click(line)
        || !waitFor([&] { return title("Quorvane"); })) {
        std::fputs("tile mode did not turn on and off from the menu\n", stderr);
        return 1;
    }
    std::printf("ready: %zu lines\n", menu->labels().size());
    std::fflush(stdout);
    while (true)
        ::pause();
}
