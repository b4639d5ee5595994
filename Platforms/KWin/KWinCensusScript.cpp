#include "Platforms/KWin/KWinCensusScript.h"

#include "JSON/JSONValue.h"

#include <string_view>

namespace quorvane {

namespace {

constexpr std::string_view body = R"JS(
(function () {
    "use strict";
    // KWin 6 calls windows "windows"; KWin 5 called them "clients".
    var six = typeof workspace.windowList === "function";
    var known = {};
    var pending = { windows: {}, removed: [], active: undefined, screens: false };
    var flushTimer = null;
    // The application's overlay windows by title: where each goes. KWin activates a window when it maps
    // (and when it is clicked); an overlay window hands activation straight back to the window that had it.
    var placements = {};
    // The windows activated last, most recent at the end.
    var history = [];
    var handBackTimer = null;

    function on(signal, handler) {
        if (signal && typeof signal.connect === "function")
            signal.connect(handler);
    }
    function idOf(w) { return String(w.internalId); }
    function rect(r) { return { x: r.x, y: r.y, width: r.width, height: r.height }; }
    function onCurrentDesktop(w) {
        if (w.onAllDesktops)
            return true;
        if (!six)
            return w.desktop === workspace.currentDesktop;
        var desktops = w.desktops || [];
        for (var i = 0; i < desktops.length; ++i) {
            if (desktops[i].id === workspace.currentDesktop.id)
                return true;
        }
        return false;
    }
    function type(w) {
        if (w.normalWindow)
            return w.transient ? "dialog" : "normal";
        return w.dialog ? "dialog" : "other";
    }
    function facts(w) {
        return {
            id: idOf(w), pid: w.pid, desktopFile: String(w.desktopFileName || ""),
            resourceClass: String(w.resourceClass || ""), resourceName: String(w.resourceName || ""),
            caption: String(w.caption || ""), frame: rect(w.frameGeometry), type: type(w),
            minimized: !!w.minimized, fullScreen: !!w.fullScreen, shown: onCurrentDesktop(w),
            stacking: w.stackingOrder
        };
    }
    function screens() {
        var result = [];
        var desktop = workspace.currentDesktop;
        if (six) {
            var outputs = workspace.screens;
            for (var i = 0; i < outputs.length; ++i) {
                result.push({ name: String(outputs[i].name), frame: rect(outputs[i].geometry),
                    area: rect(workspace.clientArea(KWin.MaximizeArea, outputs[i], desktop)) });
            }
        } else {
            for (var j = 0; j < workspace.numScreens; ++j) {
                result.push({ name: "", frame: rect(workspace.clientArea(KWin.ScreenArea, j, desktop)),
                    area: rect(workspace.clientArea(KWin.MaximizeArea, j, desktop)) });
            }
        }
        return result;
    }
    function send(report) {
        callDBus(service, path, iface, "Report", generation, JSON.stringify(report));
    }
    // Changes of one pass of KWin's event loop go out as one report.
    function flush() {
        var report = { windows: [], removed: pending.removed };
        for (var id in pending.windows) {
            if (known[id])
                report.windows.push(facts(known[id]));
        }
        if (pending.active !== undefined)
            report.active = pending.active;
        if (pending.screens)
            report.screens = screens();
        pending = { windows: {}, removed: [], active: undefined, screens: false };
        send(report);
    }
    function schedule() {
        if (flushTimer === null)
            flush();
        else if (!flushTimer.active)
            flushTimer.start();
    }
    function changed(w) {
        var id = idOf(w);
        if (!known[id])
            return;
        pending.windows[id] = true;
        schedule();
    }
    function everythingChanged() {
        for (var id in known)
            pending.windows[id] = true;
        pending.screens = true;
        schedule();
    }
    function watch(w) {
        if (!w || w.deleted || w.managed === false || w.popupWindow || w.outline)
            return false;
        var id = idOf(w);
        if (known[id])
            return true;
        known[id] = w;
        var signals = ["frameGeometryChanged", "captionChanged", "minimizedChanged", "fullScreenChanged",
            "desktopChanged", "desktopsChanged", "stackingOrderChanged", "desktopFileNameChanged",
            "windowClassChanged", "transientChanged"];
        for (var i = 0; i < signals.length; ++i)
            on(w[signals[i]], function () { changed(w); });
        return true;
    }
    function activate(w) {
        if (six)
            workspace.activeWindow = w;
        else
            workspace.activeClient = w;
    }
    function isOverlay(w) {
        return w && w.pid === ownPid && placements.hasOwnProperty(String(w.caption));
    }
    function place(w) {
        var frame = placements[String(w.caption)];
        w.keepAbove = true;
        w.skipTaskbar = true;
        w.skipPager = true;
        w.skipSwitcher = true;
        if (!w.onAllDesktops)
            w.onAllDesktops = true;
        w.frameGeometry = { x: frame.x, y: frame.y, width: frame.width, height: frame.height };
    }
    function handBack(w) {
        var active = six ? workspace.activeWindow : workspace.activeClient;
        if (active !== w)
            return;
        for (var i = history.length - 1; i >= 0; --i) {
            var before = history[i];
            if (before !== w && !isOverlay(before) && known[idOf(before)] && !before.deleted && !before.minimized
                && onCurrentDesktop(before)) {
                activate(before);
                return;
            }
        }
    }
    // Activating another window inside KWin's own activation (when it picks the next window after one
    // closes, or on a click) is not safe: that hand-back waits for the next pass of KWin's event loop.
    function handBackLater() {
        var active = six ? workspace.activeWindow : workspace.activeClient;
        if (isOverlay(active))
            handBack(active);
    }
    function perform(command) {
        if (command.action === "place") {
            placements[command.id] = { x: command.x, y: command.y, width: command.width, height: command.height };
            for (var id in known) {
                if (isOverlay(known[id]) && String(known[id].caption) === command.id) {
                    place(known[id]);
                    // It may have mapped before its placement came.
                    handBack(known[id]);
                }
            }
            return;
        }
        var w = known[command.id];
        if (!w)
            return;
        if (command.action === "move") {
            // A maximised window is released first, or KWin would keep treating it as maximised.
            if (w.maximizable)
                w.setMaximize(false, false);
            w.frameGeometry = { x: command.x, y: command.y, width: command.width, height: command.height };
        } else if (command.action === "activate") {
            if (w.minimized)
                w.minimized = false;
            activate(w);
        } else if (command.action === "minimize") {
            if (w.minimizable)
                w.minimized = true;
        }
    }
    function poll() {
        callDBus(service, path, iface, "Commands", generation, function (text) {
            var commands = null;
            try {
                commands = JSON.parse(text);
            } catch (error) {
                commands = null;
            }
            if (!Array.isArray(commands))
                return;
            for (var i = 0; i < commands.length; ++i) {
                try {
                    perform(commands[i]);
                } catch (error) {
                }
            }
            poll();
        });
    }

    if (typeof QTimer === "function") {
        flushTimer = new QTimer();
        flushTimer.singleShot = true;
        flushTimer.interval = 0;
        flushTimer.timeout.connect(flush);
        handBackTimer = new QTimer();
        handBackTimer.singleShot = true;
        handBackTimer.interval = 0;
        handBackTimer.timeout.connect(handBackLater);
    }
    on(six ? workspace.windowAdded : workspace.clientAdded, function (w) {
        if (isOverlay(w)) {
            place(w);
            handBack(w);
        }
        if (watch(w))
            changed(w);
    });
    on(six ? workspace.windowRemoved : workspace.clientRemoved, function (w) {
        var id = idOf(w);
        if (!known[id])
            return;
        delete known[id];
        delete pending.windows[id];
        pending.removed.push(id);
        schedule();
    });
    on(six ? workspace.windowActivated : workspace.clientActivated, function (w) {
        if (isOverlay(w)) {
            if (handBackTimer !== null && !handBackTimer.active)
                handBackTimer.start();
            return;
        }
        // An activation made inside another script's handler reaches this one before the activation that
        // handler answered: the window active now is the one to report.
        var now = six ? workspace.activeWindow : workspace.activeClient;
        if (now && !isOverlay(now)) {
            history.push(now);
            if (history.length > 8)
                history.shift();
        }
        pending.active = now ? idOf(now) : "";
        schedule();
    });
    on(six ? workspace.screensChanged : workspace.numberScreensChanged, function () { pending.screens = true; schedule(); });
    on(workspace.screenResized, function () { pending.screens = true; schedule(); });
    on(workspace.virtualScreenGeometryChanged, function () { pending.screens = true; schedule(); });
    on(workspace.currentDesktopChanged, everythingChanged);

    var all = six ? workspace.windowList() : workspace.clientList();
    var windows = [];
    for (var i = 0; i < all.length; ++i) {
        if (watch(all[i]))
            windows.push(facts(all[i]));
    }
    var active = six ? workspace.activeWindow : workspace.activeClient;
    if (active)
        history.push(active);
    send({ all: true, windows: windows, removed: [],
        active: active && known[idOf(active)] ? idOf(active) : "", screens: screens() });
    poll();
})();
)JS";

} // namespace

std::string KWinCensusScript::text(const Target& target)
{
    std::string text = "// Quorvane's window reporter, written and loaded by quorvane-app; edits are lost.\n";
    text += "var service = " + quoteJSON(target.service) + ";\n";
    text += "var path = " + quoteJSON(target.path) + ";\n";
    text += "var iface = " + quoteJSON(target.interface) + ";\n";
    text += "var generation = " + quoteJSON(target.generation) + ";\n";
    text += "var ownPid = " + std::to_string(target.pid) + ";\n";
    text += body;
    return text;
}

} // namespace quorvane
