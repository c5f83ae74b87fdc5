#include "x_observer.h"

#include "support/server_process.h"

#include <xcb/damage.h>
#include <xcb/xtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <stdexcept>

namespace tarnwick::bench {
namespace {

template <typename Reply>
std::unique_ptr<Reply, decltype(&std::free)> Owned(Reply* reply) {
    return {reply, &std::free};
}

} // namespace

XObserver::XObserver(const std::string& display) {
    connection_ = xcb_connect(display.c_str(), nullptr);
    if (xcb_connection_has_error(connection_)) throw std::runtime_error("no X connection");
    root_ = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
    const xcb_query_extension_reply_t* damage = xcb_get_extension_data(connection_, &xcb_damage_id);
    const xcb_query_extension_reply_t* xtest = xcb_get_extension_data(connection_, &xcb_test_id);
    if (damage == nullptr || !damage->present || xtest == nullptr || !xtest->present) {
        throw std::runtime_error("the X server lacks DAMAGE or XTEST");
    }
    damage_event_ = damage->first_event + XCB_DAMAGE_NOTIFY;
    // The extension answers only clients that said which version they speak.
    std::free(xcb_damage_query_version_reply(connection_,
                                             xcb_damage_query_version(connection_, 1, 1), nullptr));
    // The top-level windows coming and going; and the answers to pings, which
    // Qt sends to the root window for clients that select its structure
    // changes or redirect its children (as a window manager does, which the
    // benchmark need not be).
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_STRUCTURE_NOTIFY;
    xcb_change_window_attributes(connection_, root_, XCB_CW_EVENT_MASK, &mask);
    protocols_atom_ = Atom("WM_PROTOCOLS");
    ping_atom_ = Atom("_NET_WM_PING");
    xcb_flush(connection_);
}

XObserver::~XObserver() { xcb_disconnect(connection_); }

int XObserver::Fd() const { return xcb_get_file_descriptor(connection_); }

xcb_atom_t XObserver::Atom(const char* name) {
    const auto reply = Owned(xcb_intern_atom_reply(
        connection_, xcb_intern_atom(connection_, 0, std::strlen(name), name), nullptr));
    return reply ? reply->atom : XCB_NONE;
}

void XObserver::Dispatch() {
    while (xcb_generic_event_t* event = xcb_poll_for_event(connection_)) {
        Handle(event);
        std::free(event);
    }
    if (xcb_connection_has_error(connection_)) throw std::runtime_error("the X server went away");
}

void XObserver::ForgetWindows() {
    main_window_ = XCB_NONE;
    first_drawn_ns_ = 0;
    other_windows_.clear();
    pings_.Clear();
}

void XObserver::Handle(const xcb_generic_event_t* event) {
    const uint8_t type = event->response_type & 0x7f;
    if (type == damage_event_) {
        const auto* damage = reinterpret_cast<const xcb_damage_notify_event_t*>(event);
        if (damage->drawable == main_window_) {
            if (first_drawn_ns_ == 0) first_drawn_ns_ = MonotonicNs();
            ++drawings_;
        }
        // Taken note of: the next drawing is told again.
        xcb_damage_subtract(connection_, damage->damage, XCB_NONE, XCB_NONE);
        xcb_flush(connection_);
        return;
    }
    switch (type) {
        case XCB_CREATE_NOTIFY:
            Created(reinterpret_cast<const xcb_create_notify_event_t*>(event));
            break;
        case XCB_MAP_NOTIFY: Mapped(reinterpret_cast<const xcb_map_notify_event_t*>(event)); break;
        case XCB_UNMAP_NOTIFY:
            Unmapped(reinterpret_cast<const xcb_unmap_notify_event_t*>(event)->window);
            break;
        case XCB_DESTROY_NOTIFY:
            Unmapped(reinterpret_cast<const xcb_destroy_notify_event_t*>(event)->window);
            break;
        case XCB_CLIENT_MESSAGE:
            ClientMessage(reinterpret_cast<const xcb_client_message_event_t*>(event));
            break;
        default: break; // errors too: a window may go before its damage is made
    }
}

// Each new top-level window is watched for drawing from its start, so that
// its first frame cannot come before the watch does.
void XObserver::Created(const xcb_create_notify_event_t* event) {
    if (event->parent != root_ || event->override_redirect) return;
    xcb_damage_create(connection_, xcb_generate_id(connection_), event->window,
                      XCB_DAMAGE_REPORT_LEVEL_NON_EMPTY);
    xcb_flush(connection_);
}

void XObserver::Mapped(const xcb_map_notify_event_t* event) {
    if (event->event != root_ || event->override_redirect) return;
    if (main_window_ == XCB_NONE) {
        main_window_ = event->window;
    } else if (event->window != main_window_) {
        other_windows_.push_back(event->window);
    }
}

void XObserver::Unmapped(xcb_window_t window) { std::erase(other_windows_, window); }

void XObserver::ClientMessage(const xcb_client_message_event_t* event) {
    if (event->type != protocols_atom_ || event->format != 32) return;
    if (event->data.data32[0] != ping_atom_) return;
    pings_.Answered(event->data.data32[1], MonotonicNs());
}

void XObserver::Ping() {
    if (main_window_ == XCB_NONE) return;
    xcb_client_message_event_t ping{};
    ping.response_type = XCB_CLIENT_MESSAGE;
    ping.format = 32;
    ping.window = main_window_;
    ping.type = protocols_atom_;
    ping.data.data32[0] = ping_atom_;
    // Where a window manager puts the server time, the ping's own number.
    ping.data.data32[1] = next_ping_;
    ping.data.data32[2] = main_window_;
    pings_.Sent(next_ping_++, MonotonicNs());
    xcb_send_event(connection_, 0, main_window_, XCB_EVENT_MASK_NO_EVENT,
                   reinterpret_cast<const char*>(&ping));
    xcb_flush(connection_);
}

void XObserver::Click(int x, int y) {
    const auto origin = Owned(xcb_translate_coordinates_reply(
        connection_, xcb_translate_coordinates(connection_, main_window_, root_, 0, 0), nullptr));
    if (!origin) return;
    const int16_t root_x = static_cast<int16_t>(origin->dst_x + x);
    const int16_t root_y = static_cast<int16_t>(origin->dst_y + y);
    xcb_test_fake_input(connection_, XCB_MOTION_NOTIFY, 0, XCB_CURRENT_TIME, root_, root_x, root_y,
                        0);
    xcb_test_fake_input(connection_, XCB_BUTTON_PRESS, 1, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
    xcb_test_fake_input(connection_, XCB_BUTTON_RELEASE, 1, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
    xcb_flush(connection_);
}

xcb_keycode_t XObserver::KeycodeOf(uint32_t keysym) {
    const xcb_setup_t* setup = xcb_get_setup(connection_);
    const int count = setup->max_keycode - setup->min_keycode + 1;
    const auto mapping = Owned(xcb_get_keyboard_mapping_reply(
        connection_, xcb_get_keyboard_mapping(connection_, setup->min_keycode, count), nullptr));
    if (!mapping) return 0;
    const xcb_keysym_t* keysyms = xcb_get_keyboard_mapping_keysyms(mapping.get());
    const int per_code = mapping->keysyms_per_keycode;
    for (int code = 0; code < count; ++code) {
        if (keysyms[code * per_code] == keysym) return setup->min_keycode + code;
    }
    return 0;
}

void XObserver::PressKey(xcb_window_t window, uint32_t keysym) {
    const xcb_keycode_t code = KeycodeOf(keysym);
    if (code == 0) return;
    xcb_set_input_focus(connection_, XCB_INPUT_FOCUS_POINTER_ROOT, window, XCB_CURRENT_TIME);
    xcb_test_fake_input(connection_, XCB_KEY_PRESS, code, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
    xcb_test_fake_input(connection_, XCB_KEY_RELEASE, code, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
    xcb_flush(connection_);
}

} // namespace tarnwick::bench
