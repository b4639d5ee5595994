#include "Platforms/Simulated/SimulatedDesktop.h"

namespace quorvane {

SimulatedDesktop::SimulatedDesktop()
    : mainLoop(loop)
{
}

SimulatedDesktop::SimulatedDesktop(MainLoop& mainLoop)
    : mainLoop(mainLoop)
{
}

Platform SimulatedDesktop::platform()
{
    return Platform { mainLoop, windowSystem, workers, applications, hotkeys, keyboardTap, fileWatcher, permissions,
        overlay, loginItem, statusItem, appWindows };
}

void SimulatedDesktop::addSampleScene()
{
    constexpr double panel = 32;
    windowSystem.setDisplays({
        DisplayFacts { "sim:1", Frame { 0, 0, 1920, 1080 }, Frame { 0, panel, 1920, 1080 - panel }, true },
        DisplayFacts { "sim:2", Frame { 1920, 0, 1920, 1080 }, Frame { 1920, panel, 1920, 1080 - panel }, false },
    });

    struct Sample {
        const char* bundleIdentifier;
        const char* name;
    };
    const Sample samples[] = {
        { "org.example.Editor", "Editor" },
        { "org.example.Terminal", "Terminal" },
        { "org.example.Browser", "Browser" },
    };
    int32_t pids[3];
    for (int index = 0; index < 3; ++index) {
        pids[index]
            = applications.launch(RunningApplication { samples[index].bundleIdentifier, 0, samples[index].name });
        applications.install(samples[index].bundleIdentifier,
            std::string("/usr/share/applications/") + samples[index].bundleIdentifier + ".desktop");
    }

    auto window = [&](int app, const char* title, Frame frame) {
        SimulatedWindow simulated;
        simulated.facts.pid = pids[app];
        simulated.facts.bundleIdentifier = samples[app].bundleIdentifier;
        simulated.facts.title = title;
        simulated.facts.frame = frame;
        simulated.facts.kind = WindowKind::standard;
        return windowSystem.addWindow(simulated);
    };
    window(2, "Browser — Start", Frame { 2000, 100, 1600, 900 });
    window(1, "Terminal", Frame { 2100, 300, 800, 500 });
    window(0, "notes.txt", Frame { 400, 200, 900, 700 });
    WindowHandle front = window(0, "todo.txt", Frame { 100, 100, 1000, 800 });
    windowSystem.focus(front);
}

} // namespace quorvane
