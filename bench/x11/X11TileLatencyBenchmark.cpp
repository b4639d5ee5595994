// From a `tile` request sent on the application's socket to the window's new size in a ConfigureNotify:
// the application's whole path (decode, list the windows, write the frame) and the window manager's. Run on an
// X display where quorvane-app runs with animate_tiles = false (bench/x11-figures.sh does both).
#include "helpers/Percentile.h"
#include "helpers/XcbAtom.h"

#include "Configuration/QuorvanePaths.h"
#include "QuorvaneIPC/IPCClient.h"
#include "QuorvaneIPC/ProcessPlaces.h"
#include "RPC/RPCRequest.h"
#include "RPC/RPCResponse.h"

#include <benchmark/benchmark.h>
#include <poll.h>
#include <xcb/xcb.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <thread>

namespace {

using namespace quorvane;
using Clock = std::chrono::steady_clock;

constexpr const char* applicationId = "org.example.Latency";

// One window of the application "org.example.Latency", watched for the sizes the window manager gives it.
class LatencyWindow {
public:
    LatencyWindow()
        : m_connection(xcb_connect(nullptr, nullptr))
        , m_socket(ProcessPlaces::paths().resolvedSocketFile(QuorvanePaths::socketPathLimit))
    {
        xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data;
        m_window = xcb_generate_id(m_connection);
        uint32_t mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
        xcb_create_window(m_connection, XCB_COPY_FROM_PARENT, m_window, screen->root, 0, 0, 500, 400, 0,
            XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, XCB_CW_EVENT_MASK, &mask);
        setText(atom("_NET_WM_NAME"), "Latency");
        setText(atom("_GTK_APPLICATION_ID"), applicationId);
        xcb_map_window(m_connection, m_window);
        xcb_flush(m_connection);
        // The application answers once it lists the window.
        for (int attempt = 0; attempt < 500 && request("fill").exitCode != 0; ++attempt)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        settle();
    }
    ~LatencyWindow() { xcb_disconnect(m_connection); }

    // Seconds from sending `tile <app> <slot>` to the first ConfigureNotify with another size; none when
    // the request fails or no new size comes within two seconds.
    std::optional<double> tile(const char* slot)
    {
        Clock::time_point sent = Clock::now();
        int exitCode = -1;
        std::thread sender([&] { exitCode = request(slot).exitCode; });
        std::optional<double> seconds;
        if (std::optional<Size> size = nextSize(sent + std::chrono::seconds(2)); size) {
            seconds = std::chrono::duration<double>(Clock::now() - sent).count();
            m_size = *size;
        }
        sender.join();
        settle();
        return exitCode == 0 ? seconds : std::nullopt;
    }

private:
    struct Size {
        uint16_t width = 0, height = 0;
    };

    RPCResponse request(const char* slot)
    {
        return IPCClient::request(
            m_socket, RPCRequest { std::to_string(++m_requests), { "tile", applicationId, slot } }, 5);
    }

    // The next size other than the current one, or none by `deadline`.
    std::optional<Size> nextSize(Clock::time_point deadline)
    {
        while (true) {
            while (xcb_generic_event_t* event = xcb_poll_for_event(m_connection)) {
                std::optional<Size> size;
                if ((event->response_type & 0x7F) == XCB_CONFIGURE_NOTIFY) {
                    const auto* configure = reinterpret_cast<const xcb_configure_notify_event_t*>(event);
                    if (configure->window == m_window
                        && (configure->width != m_size.width || configure->height != m_size.height))
                        size = Size { configure->width, configure->height };
                }
                std::free(event);
                if (size)
                    return size;
            }
            auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
            if (left <= 0)
                return std::nullopt;
            pollfd readable { xcb_get_file_descriptor(m_connection), POLLIN, 0 };
            ::poll(&readable, 1, static_cast<int>(left));
        }
    }

    // Takes in whatever the window manager is still doing, and the size it leaves the window at.
    void settle()
    {
        while (nextSize(Clock::now() + std::chrono::milliseconds(50))) { }
        auto* geometry = xcb_get_geometry_reply(m_connection, xcb_get_geometry(m_connection, m_window), nullptr);
        if (geometry)
            m_size = Size { geometry->width, geometry->height };
        std::free(geometry);
    }

    xcb_atom_t atom(const char* name) { return quorvane::bench::internAtom(m_connection, name); }
    void setText(xcb_atom_t property, const std::string& text)
    {
        xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, m_window, property, atom("UTF8_STRING"), 8,
            static_cast<uint32_t>(text.size()), text.data());
    }

    xcb_connection_t* m_connection;
    std::string m_socket;
    xcb_window_t m_window = 0;
    Size m_size;
    int m_requests = 0;
};

void tileToConfigureNotify(benchmark::State& state)
{
    static LatencyWindow window;
    // Two tiles of different sizes in turn, so that every request resizes the window.
    static bool half = false;
    for (auto _ : state) {
        half = !half;
        std::optional<double> seconds = window.tile(half ? "left-half" : "top-right");
        if (!seconds) {
            state.SkipWithError("the tile failed or the window kept its size");
            break;
        }
        state.SetIterationTime(*seconds);
    }
}

// One tile per repetition.
BENCHMARK(tileToConfigureNotify)->Apply(quorvane::bench::singleEvents<100>);

} // namespace
