#include "support/WindowFrames.h"

#include <poll.h>

#include <X11/Xlib.h>
#include <X11/extensions/Xdamage.h>

#include <algorithm>

namespace QRX {
namespace TestSupport {

namespace {

// A window that goes while it is watched makes the server answer with an
// error; Xlib's default handler would end the test.
int IgnoreError(Display*, XErrorEvent*) { return 0; }

Display* AsDisplay(void* display) { return static_cast<Display*>(display); }

// The first window below `parent` (depth first) with that title.
Window FindByTitle(Display* display, Window parent, const std::string& title)
{
    Window root = 0, up = 0, found = 0;
    Window* children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display, parent, &root, &up, &children, &count)) return 0;
    for (unsigned i = 0; i < count && !found; ++i) {
        char* name = nullptr;
        if (XFetchName(display, children[i], &name) && name) {
            if (title == name) found = children[i];
            XFree(name);
        }
        if (!found) found = FindByTitle(display, children[i], title);
    }
    if (children) XFree(children);
    return found;
}

} // namespace

WindowFrames::WindowFrames(const std::string& title) : m_title(title)
{
    XSetErrorHandler(IgnoreError);
    m_display = XOpenDisplay(nullptr);
    int errorBase = 0;
    if (m_display && !XDamageQueryExtension(AsDisplay(m_display), &m_damageEventBase, &errorBase)) {
        XCloseDisplay(AsDisplay(m_display));
        m_display = nullptr;
    }
}

WindowFrames::~WindowFrames()
{
    if (!m_display) return;
    if (m_damage) XDamageDestroy(AsDisplay(m_display), m_damage);
    XCloseDisplay(AsDisplay(m_display));
}

bool WindowFrames::Watch()
{
    Display* display = AsDisplay(m_display);
    const Window window = FindByTitle(display, DefaultRootWindow(display), m_title);
    if (window && window != m_window) {
        if (m_damage) XDamageDestroy(display, m_damage);
        m_damage = XDamageCreate(display, window, XDamageReportNonEmpty);
        m_window = window;
    }
    return window != 0;
}

void WindowFrames::TakeEvents()
{
    Display* display = AsDisplay(m_display);
    while (XPending(display)) {
        XEvent event;
        XNextEvent(display, &event);
        if (event.type != m_damageEventBase + XDamageNotify) continue;
        ++m_counted;
        // Reported again only once the damage is taken away.
        XDamageSubtract(display, reinterpret_cast<XDamageNotifyEvent*>(&event)->damage, None, None);
    }
}

bool WindowFrames::Restart()
{
    m_counted = 0;
    if (!m_display || !Watch()) {
        m_failure = (m_display ? "no window titled \"" : "no X display to count the frames of \"") + m_title + "\"";
        return false;
    }
    // Every repaint the server made so far reaches this connection before the
    // answer to the round trip, and is dropped.
    XSync(AsDisplay(m_display), False);
    TakeEvents();
    m_counted = 0;
    return true;
}

bool WindowFrames::WaitFrames(int frames, std::chrono::steady_clock::duration deadline)
{
    if (!m_display) return Restart();
    const auto end = std::chrono::steady_clock::now() + deadline;
    pollfd connection{ConnectionNumber(AsDisplay(m_display)), POLLIN, 0};
    for (TakeEvents(); m_counted < frames; TakeEvents()) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            m_failure = "the window \"" + m_title + "\" showed " + std::to_string(m_counted) + " of " +
                        std::to_string(frames) + " frames before the deadline";
            return false;
        }
        // At most a second at a time, so that a window made anew is watched
        // and a window that has gone ends the wait.
        if (::poll(&connection, 1, static_cast<int>(std::min<long long>(left.count(), 1000))) == 0 && !Watch()) {
            m_failure = "the window \"" + m_title + "\" went";
            return false;
        }
    }
    return true;
}

} // namespace TestSupport
} // namespace QRX
