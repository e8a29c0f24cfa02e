#include "support/x_input.h"

#include <X11/Xlib.h>

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <thread>

namespace tn::test {

XConnection::XConnection(const std::string& display) : display_(XOpenDisplay(display.c_str())) {
    // Windows come and go while a check walks the tree; an error about a vanished one must not end
    // the test process (Xlib's default handler exits).
    XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
}

XConnection::~XConnection() {
    if (display_) XCloseDisplay(display_);
}

void XConnection::pressKeys(std::initializer_list<unsigned long> keysyms) {
    std::vector<KeyCode> codes;
    for (KeySym k : keysyms)
        codes.push_back(XKeysymToKeycode(display_, k));
    for (KeyCode c : codes)
        XTestFakeKeyEvent(display_, c, True, CurrentTime);
    for (auto it = codes.rbegin(); it != codes.rend(); ++it)
        XTestFakeKeyEvent(display_, *it, False, CurrentTime);
    XSync(display_, False);
}

void XConnection::click(int x, int y) {
    XTestFakeMotionEvent(display_, XDefaultScreen(display_), x, y, CurrentTime);
    XTestFakeButtonEvent(display_, 1, True, CurrentTime);
    XTestFakeButtonEvent(display_, 1, False, CurrentTime);
    XSync(display_, False);
}

void XConnection::typeText(const std::string& text) {
    for (const char c : text) {
        const KeySym sym = c == ' ' ? XK_space : static_cast<KeySym>(static_cast<unsigned char>(c));
        const KeyCode code = XKeysymToKeycode(display_, sym);
        XTestFakeKeyEvent(display_, code, True, CurrentTime);
        XTestFakeKeyEvent(display_, code, False, CurrentTime);
        // A typist's pace: toolkits may merge or drop a burst of events that arrive all at once.
        XSync(display_, False);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

namespace {
int g_grab_error = Success;
}  // namespace

int XConnection::tryGrab(unsigned long keysym, unsigned modifiers) {
    const XErrorHandler previous = XSetErrorHandler([](Display*, XErrorEvent* e) {
        g_grab_error = e->error_code;
        return 0;
    });
    g_grab_error = Success;
    const int code = XKeysymToKeycode(display_, keysym);
    const Window root = XDefaultRootWindow(display_);
    XGrabKey(display_, code, modifiers, root, False, GrabModeAsync, GrabModeAsync);
    XSync(display_, False);
    const int result = g_grab_error;
    if (result == Success) {
        XUngrabKey(display_, code, modifiers, root);
        XSync(display_, False);
    }
    XSetErrorHandler(previous);
    return result;
}

void XConnection::iconify(unsigned long window) {
    XIconifyWindow(display_, window, XDefaultScreen(display_));
    XSync(display_, False);
}

namespace {

std::string titleOf(Display* d, Window w) {
    const Atom net_name = XInternAtom(d, "_NET_WM_NAME", False);
    const Atom utf8 = XInternAtom(d, "UTF8_STRING", False);
    Atom type = None;
    int format = 0;
    unsigned long n = 0, after = 0;
    unsigned char* data = nullptr;
    std::string title;
    if (XGetWindowProperty(d, w, net_name, 0, 1024, False, utf8, &type, &format, &n, &after, &data) ==
            Success &&
        data && n > 0) {
        title.assign(reinterpret_cast<char*>(data), n);
    }
    if (data) XFree(data);
    if (title.empty()) {
        char* name = nullptr;
        if (XFetchName(d, w, &name) && name) {
            title = name;
            XFree(name);
        }
    }
    return title;
}

// Visits every mapped window below root, depth first (window managers put clients inside frames).
void walk(Display* d, Window w, const std::function<void(Window)>& visit) {
    Window root = 0, parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(d, w, &root, &parent, &children, &count)) return;
    for (unsigned int i = 0; i < count; ++i) {
        XWindowAttributes attr{};
        if (XGetWindowAttributes(d, children[i], &attr) && attr.map_state == IsViewable) {
            visit(children[i]);
            walk(d, children[i], visit);
        }
    }
    if (children) XFree(children);
}

}  // namespace

std::vector<std::string> XConnection::mappedTitles() {
    std::vector<std::string> titles;
    walk(display_, XDefaultRootWindow(display_), [&](Window w) {
        std::string t = titleOf(display_, w);
        if (!t.empty()) titles.push_back(std::move(t));
    });
    return titles;
}

int XConnection::countMapped(const std::string& title) {
    const auto titles = mappedTitles();
    return static_cast<int>(std::count(titles.begin(), titles.end(), title));
}

}  // namespace tn::test
