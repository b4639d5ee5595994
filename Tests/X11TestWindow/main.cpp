// `quorvane-test-window`: one plain X11 window with exactly the properties a test asks for, and no size
// increments, so the window manager gives it any size asked for. Prints the window's id in decimal once the
// window is mapped or managed, then lives until its standard input closes or it is killed.
//   --title TEXT          _NET_WM_NAME (UTF-8) and WM_NAME
//   --legacy-title TEXT   WM_NAME only, in Latin-1
//   --title-after MS      maps the window without a title and sets the --title MS milliseconds later
//   --class INSTANCE,CLASS
//   --app-id ID           _GTK_APPLICATION_ID
//   --size WxH            client size (default 400x300)
//   --position X,Y        requested position
//   --type normal|dialog|utility|dock
//   --transient-for ID
//   --state fullscreen|maximized   initial state
//   --desktop N           _NET_WM_DESKTOP
//   --strut L,R,T,B,...   _NET_WM_STRUT_PARTIAL (12 values)
//   --pid N               _NET_WM_PID; 0 leaves it unset
//   --minimize            asks to be minimised once mapped
//   --detached            ignores standard input: lives until killed
//   --keys                prints each key event it receives: "press|release KEYCODE STATE MICROSECONDS", the
//                         last the monotonic clock at receipt
//   --clicks              prints each button press it receives: "click BUTTON ROOT_X ROOT_Y"
#include <xcb/xcb.h>

#include <poll.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

xcb_connection_t* connection;

xcb_atom_t atom(const std::string& name)
{
    auto cookie = xcb_intern_atom(connection, 0, static_cast<uint16_t>(name.size()), name.c_str());
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(connection, cookie, nullptr);
    xcb_atom_t result = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(reply);
    return result;
}

std::vector<uint32_t> numbers(const std::string& text)
{
    std::vector<uint32_t> values;
    std::stringstream stream(text);
    std::string item;
    while (std::getline(stream, item, ','))
        values.push_back(static_cast<uint32_t>(std::stoul(item)));
    return values;
}

void setText(xcb_window_t window, xcb_atom_t property, xcb_atom_t type, const std::string& text)
{
    xcb_change_property(
        connection, XCB_PROP_MODE_REPLACE, window, property, type, 8, static_cast<uint32_t>(text.size()), text.data());
}

void setCardinals(xcb_window_t window, xcb_atom_t property, xcb_atom_t type, const std::vector<uint32_t>& values)
{
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, property, type, 32,
        static_cast<uint32_t>(values.size()), values.data());
}

// UTF-8 to Latin-1 for the test texts, which stay within Latin-1.
std::string latin1(const std::string& text)
{
    std::string result;
    for (size_t i = 0; i < text.size(); ++i) {
        auto byte = static_cast<unsigned char>(text[i]);
        if (byte >= 0xC0 && i + 1 < text.size()) {
            result += static_cast<char>(((byte & 0x1F) << 6) | (static_cast<unsigned char>(text[++i]) & 0x3F));
        } else {
            result += static_cast<char>(byte);
        }
    }
    return result;
}

void sendToRoot(xcb_window_t root, xcb_window_t window, xcb_atom_t type, std::vector<uint32_t> data)
{
    xcb_client_message_event_t message {};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = window;
    message.type = type;
    for (size_t i = 0; i < data.size() && i < 5; ++i)
        message.data.data32[i] = data[i];
    xcb_send_event(connection, 0, root, XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT,
        reinterpret_cast<const char*>(&message));
}

} // namespace

int main(int argc, char** argv)
{
    std::map<std::string, std::string> options;
    for (int i = 1; i < argc; ++i) {
        std::string name = argv[i];
        if (name == "--minimize" || name == "--detached" || name == "--keys" || name == "--clicks")
            options[name] = "yes";
        else if (i + 1 < argc)
            options[name] = argv[++i];
    }
    auto option = [&](const std::string& name, const std::string& fallback = "") {
        auto found = options.find(name);
        return found == options.end() ? fallback : found->second;
    };

    connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection)) {
        std::fputs("quorvane-test-window: no X display\n", stderr);
        return 3;
    }
    xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    std::string sizeText = option("--size", "400x300");
    std::replace(sizeText.begin(), sizeText.end(), 'x', ',');
    std::vector<uint32_t> size = numbers(sizeText);
    std::vector<uint32_t> position = numbers(option("--position", "0,0"));

    xcb_window_t window = xcb_generate_id(connection);
    uint32_t events = XCB_EVENT_MASK_STRUCTURE_NOTIFY | XCB_EVENT_MASK_EXPOSURE;
    if (options.count("--keys"))
        events |= XCB_EVENT_MASK_KEY_PRESS | XCB_EVENT_MASK_KEY_RELEASE;
    if (options.count("--clicks"))
        events |= XCB_EVENT_MASK_BUTTON_PRESS;
    uint32_t values[] = { screen->white_pixel, events };
    xcb_create_window(connection, XCB_COPY_FROM_PARENT, window, screen->root, static_cast<int16_t>(position[0]),
        static_cast<int16_t>(position[1]), static_cast<uint16_t>(size[0]), static_cast<uint16_t>(size[1]), 0,
        XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, XCB_CW_BACK_PIXEL | XCB_CW_EVENT_MASK, values);

    xcb_atom_t utf8 = atom("UTF8_STRING");
    xcb_atom_t netName = atom("_NET_WM_NAME");
    auto setTitle = [&] {
        setText(window, netName, utf8, option("--title"));
        setText(window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, latin1(option("--title")));
    };
    // Milliseconds after mapping at which the title comes; none when it comes with the window.
    int titleDelay = options.count("--title-after") ? std::stoi(option("--title-after")) : -1;
    if (options.count("--title") && titleDelay < 0)
        setTitle();
    if (options.count("--legacy-title"))
        setText(window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, latin1(option("--legacy-title")));
    if (options.count("--class")) {
        std::string both = option("--class");
        both[both.find(',')] = '\0';
        both += '\0';
        setText(window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, both);
    }
    if (options.count("--app-id"))
        setText(window, atom("_GTK_APPLICATION_ID"), utf8, option("--app-id"));
    if (uint32_t pid = static_cast<uint32_t>(std::stoul(option("--pid", std::to_string(::getpid())))); pid != 0)
        setCardinals(window, atom("_NET_WM_PID"), XCB_ATOM_CARDINAL, { pid });
    if (options.count("--type"))
        setCardinals(window, atom("_NET_WM_WINDOW_TYPE"), XCB_ATOM_ATOM, { atom("_NET_WM_WINDOW_TYPE_" + [&] {
            std::string type = option("--type");
            for (char& letter : type)
                letter = static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
            return type;
        }()) });
    if (options.count("--transient-for"))
        setCardinals(window, XCB_ATOM_WM_TRANSIENT_FOR, XCB_ATOM_WINDOW, numbers(option("--transient-for")));
    if (option("--state") == "fullscreen")
        setCardinals(window, atom("_NET_WM_STATE"), XCB_ATOM_ATOM, { atom("_NET_WM_STATE_FULLSCREEN") });
    if (option("--state") == "maximized")
        setCardinals(window, atom("_NET_WM_STATE"), XCB_ATOM_ATOM,
            { atom("_NET_WM_STATE_MAXIMIZED_VERT"), atom("_NET_WM_STATE_MAXIMIZED_HORZ") });
    if (options.count("--desktop"))
        setCardinals(window, atom("_NET_WM_DESKTOP"), XCB_ATOM_CARDINAL, numbers(option("--desktop")));
    if (options.count("--strut"))
        setCardinals(window, atom("_NET_WM_STRUT_PARTIAL"), XCB_ATOM_CARDINAL, numbers(option("--strut")));

    // WM_NORMAL_HINTS: the position and size are the user's, the minimum is one pixel, no increments.
    std::vector<uint32_t> hints(18, 0);
    hints[0] = 1 | 2 | 16;
    hints[1] = position[0];
    hints[2] = position[1];
    hints[3] = size[0];
    hints[4] = size[1];
    hints[5] = 1;
    hints[6] = 1;
    setCardinals(window, XCB_ATOM_WM_NORMAL_HINTS, XCB_ATOM_WM_SIZE_HINTS, hints);

    xcb_map_window(connection, window);
    xcb_flush(connection);

    bool announced = false;
    timespec mapped {};
    pollfd watched[] = { { xcb_get_file_descriptor(connection), POLLIN, 0 }, { STDIN_FILENO, POLLIN, 0 } };
    while (true) {
        while (xcb_generic_event_t* event = xcb_poll_for_event(connection)) {
            // Mapped, or taken in by the window manager while it stays unmapped (on another desktop).
            uint8_t type = event->response_type & 0x7F;
            if ((type == XCB_MAP_NOTIFY || type == XCB_REPARENT_NOTIFY) && !announced) {
                announced = true;
                ::clock_gettime(CLOCK_MONOTONIC, &mapped);
                if (options.count("--minimize"))
                    sendToRoot(screen->root, window, atom("WM_CHANGE_STATE"), { 3 });
                xcb_flush(connection);
                std::printf("%u\n", window);
                std::fflush(stdout);
            }
            if (type == XCB_KEY_PRESS || type == XCB_KEY_RELEASE) {
                const auto* key = reinterpret_cast<const xcb_key_press_event_t*>(event);
                timespec now {};
                ::clock_gettime(CLOCK_MONOTONIC, &now);
                std::printf("%s %u %u %lld\n", type == XCB_KEY_PRESS ? "press" : "release", key->detail, key->state,
                    static_cast<long long>(now.tv_sec) * 1000000 + now.tv_nsec / 1000);
                std::fflush(stdout);
            }
            if (type == XCB_BUTTON_PRESS) {
                const auto* button = reinterpret_cast<const xcb_button_press_event_t*>(event);
                std::printf("click %u %d %d\n", button->detail, button->root_x, button->root_y);
                std::fflush(stdout);
            }
            std::free(event);
        }
        if (xcb_connection_has_error(connection))
            return 0;
        int timeout = -1;
        if (announced && titleDelay >= 0) {
            timespec now {};
            ::clock_gettime(CLOCK_MONOTONIC, &now);
            long long elapsed = (now.tv_sec - mapped.tv_sec) * 1000LL + (now.tv_nsec - mapped.tv_nsec) / 1000000;
            if (elapsed >= titleDelay) {
                setTitle();
                xcb_flush(connection);
                titleDelay = -1;
            } else {
                timeout = static_cast<int>(titleDelay - elapsed);
            }
        }
        if (::poll(watched, options.count("--detached") ? 1 : 2, timeout) < 0)
            continue;
        if (watched[1].revents & (POLLIN | POLLHUP)) {
            char buffer[64];
            if (::read(STDIN_FILENO, buffer, sizeof buffer) <= 0)
                break;
        }
    }
    xcb_disconnect(connection);
    return 0;
}
