// The GTK tray item's menu as a tray reads it over D-Bus while its lines come, go, move and change kind:
// the item in this process on the virtual desktop, read and clicked by the test StatusNotifier host.
#include "Platforms/GTK/GTKOverlayPanels.h"
#include "Platforms/GTK/GTKStatusItem.h"
#include "X11/TestTrayHost.h"
#include "X11/VirtualDesktop.h"

#include <glib.h>
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <thread>

namespace quorvane {
namespace {

using Kind = StatusMenuItem::Kind;
using Lines = std::vector<StatusMenuItem>;

StatusMenuItem line(std::string key, std::string label, Kind kind = Kind::action)
{
    StatusMenuItem item;
    item.kind = kind;
    item.key = std::move(key);
    item.label = std::move(label);
    return item;
}

StatusMenuItem checked(StatusMenuItem item, bool on)
{
    item.checked = on;
    return item;
}

StatusMenuItem toned(StatusMenuItem item, MenuTone tone)
{
    item.tone = tone;
    return item;
}

StatusMenuItem disabled(StatusMenuItem item)
{
    item.enabled = false;
    return item;
}

StatusMenuItem separator(std::string key)
{
    return line(std::move(key), "", Kind::separator);
}

StatusMenuItem submenu(std::string key, std::string label, Lines items)
{
    StatusMenuItem item = line(std::move(key), std::move(label), Kind::submenu);
    item.items = std::move(items);
    return item;
}

// "label [x] (off) <icon> {submenu}; " per line, "-" for a separator: what the menu says, item by item.
std::string describe(const Lines& items)
{
    std::string text;
    for (const StatusMenuItem& item : items) {
        text += item.kind == Kind::separator ? "-" : item.label;
        if (item.kind == Kind::check)
            text += item.checked ? " [x]" : " [ ]";
        if (!item.enabled)
            text += " (off)";
        if (item.tone != MenuTone::plain)
            text += item.tone == MenuTone::failure ? " <dialog-warning-symbolic>" : " <emblem-ok-symbolic>";
        if (!item.items.empty())
            text += " {" + describe(item.items) + "}";
        text += "; ";
    }
    return text;
}

std::string describe(const test::TrayMenuItem& menu)
{
    std::string text;
    for (const test::TrayMenuItem& item : menu.children) {
        if (!item.visible)
            continue;
        text += item.type == "separator" ? "-" : item.label;
        if (item.toggleType == "checkmark")
            text += item.toggleState == 1 ? " [x]" : " [ ]";
        if (!item.enabled)
            text += " (off)";
        if (!item.iconName.empty())
            text += " <" + item.iconName + ">";
        if (!item.children.empty())
            text += " {" + describe(item) + "}";
        text += "; ";
    }
    return text;
}

// Runs `call` on a thread of its own while this thread serves the item's side of it, as the application's
// main loop does.
template <typename Call>
auto served(Call call)
{
    std::optional<decltype(call())> result;
    std::atomic<bool> done = false;
    std::thread thread([&] {
        result = call();
        done = true;
        g_main_context_wakeup(nullptr);
    });
    while (!done)
        g_main_context_iteration(nullptr, TRUE);
    thread.join();
    while (g_main_context_iteration(nullptr, FALSE)) {
    }
    return *result;
}

TEST(GTKStatusMenu, ATrayReadsExactlyTheLinesGivenAsTheyComeGoAndChange)
{
    struct Step {
        std::string name;
        StatusMenuContent content;
        // The line clicked after the menu is read, and the key it must give; then the middle click's key.
        std::string click, clickKey, middleKey;
    };
    const StatusMenuItem tile = line("tile", "Tile Mode", Kind::check);
    const StatusMenuItem save = line("save", "Save…");
    const Lines endLines { separator("-about"), line("about", "About"), separator("-quit"), line("quit", "Quit") };
    auto menu = [&](Lines head, Lines layouts, Lines apps, Lines tail, std::string secondary = "tile") {
        head.push_back(submenu("layouts", "Layouts", std::move(layouts)));
        head.push_back(submenu("apps", "Web Apps", std::move(apps)));
        head.insert(head.end(), tail.begin(), tail.end());
        return StatusMenuContent { head, secondary };
    };
    const StatusMenuItem a = line("l:a", "a"), b = line("l:b", "b"), c = line("l:c", "c");
    const StatusMenuItem x = line("w:x", "X"), y = line("w:y", "Y"), z = line("w:z", "Z"), w = line("w:w", "W");
    const StatusMenuItem banner = line("banner", "No saved layouts.");
    const StatusMenuContent base = menu({ tile }, { a, b, separator("-save"), save }, { x, y, z }, endLines);
    const Step steps[] = {
        { "first", base, "Tile Mode", "tile", "tile" },
        { "a banner comes, a layout is added, a web app goes, a check turns on",
            menu({ toned(banner, MenuTone::failure), separator("-banner"), checked(tile, true) },
                { a, b, c, separator("-save"), save }, { x, z }, endLines),
            "b", "l:b", "tile" },
        { "the banner's text and tone change, a layout goes from the front, a web app comes between two",
            menu({ toned(line("banner", "Saved layout desk."), MenuTone::success), separator("-banner"),
                     checked(tile, true) },
                { b, c, separator("-save"), save }, { x, w, z },
                { separator("-about"), line("about", "About Quorvane"), separator("-quit"), disabled(line("quit", "Quit")) }),
            "Tile Mode", "tile", "tile" },
        { "the banner turns plain, layouts swap places, a line becomes a check line and the submenus go",
            StatusMenuContent { { banner, separator("-banner"), tile, line("l:c", "c"), line("l:b", "b"),
                                    checked(line("about", "About", Kind::check), true) },
                "tile" },
            "b", "l:b", "tile" },
        { "every line new, the middle click's line too",
            StatusMenuContent { { line("n:1", "One"), separator("-n"), line("n:2", "Two") }, "n:2" }, "One", "n:1",
            "n:2" },
        { "back to the first", base, "X", "w:x", "tile" },
    };

    test::VirtualDesktop desktop;
    ASSERT_TRUE(GTKOverlayPanels::start(std::getenv("DISPLAY")));
    test::TestTrayHost host;
    GTKStatusItem item("quorvane-menu-test", "");
    std::vector<std::string> chosen;
    item.setOnChoose([&](const std::string& key) { chosen.push_back(key); });
    item.setLook(StatusItemLook { "Quorvane", "quorvane-symbolic" });
    for (const Step& step : steps) {
        item.setMenu(step.content);
        if (&step == &steps[0]) {
            ASSERT_TRUE(served([&] { return test::eventually([&] { return !host.registrations().empty(); }); }));
        }
        std::optional<test::TrayMenuItem> read = served([&] { return host.menu(); });
        ASSERT_TRUE(read) << step.name;
        EXPECT_EQ(describe(*read), describe(step.content.items)) << step.name;

        chosen.clear();
        EXPECT_TRUE(served([&] { return host.click(step.click); })) << step.name;
        EXPECT_TRUE(served([&] { return host.secondaryActivate(); })) << step.name;
        EXPECT_EQ(chosen, (std::vector<std::string> { step.clickKey, step.middleKey })) << step.name;
        // A check line chosen shows what the application says, not its own toggle.
        read = served([&] { return host.menu(); });
        ASSERT_TRUE(read) << step.name;
        EXPECT_EQ(describe(*read), describe(step.content.items)) << step.name;
    }
}

} // namespace
} // namespace quorvane
