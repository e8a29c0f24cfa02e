// tn_test_window TITLE [TITLE...]
//
// Opens one top-level window per title (WM_NAME and _NET_WM_NAME set, WM_DELETE_WINDOW taken part
// in) and serves them until all are closed. Each polite close request destroys its window and is
// reported on stdout as "closed TITLE", so tests see which windows a close request reached; a mouse
// button press in a window is reported as "click TITLE".
#include <X11/Xlib.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <string>

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s TITLE [TITLE...]\n", argv[0]);
        return 2;
    }
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        std::fprintf(stderr, "cannot open the display\n");
        return 1;
    }
    const int screen = XDefaultScreen(display);
    Atom wm_protocols = XInternAtom(display, "WM_PROTOCOLS", False);
    Atom wm_delete = XInternAtom(display, "WM_DELETE_WINDOW", False);
    const Atom net_wm_name = XInternAtom(display, "_NET_WM_NAME", False);
    const Atom utf8 = XInternAtom(display, "UTF8_STRING", False);

    std::map<Window, std::string> open;
    for (int i = 1; i < argc; ++i) {
        const Window w = XCreateSimpleWindow(display, XRootWindow(display, screen), 40 * i, 30 * i, 320, 200,
                                             1, XBlackPixel(display, screen), XWhitePixel(display, screen));
        const auto* title = reinterpret_cast<const unsigned char*>(argv[i]);
        const auto length = static_cast<int>(std::strlen(argv[i]));
        // WM_NAME as UTF8_STRING too: the program's titles need not fit Latin-1.
        XChangeProperty(display, w, net_wm_name, utf8, 8, PropModeReplace, title, length);
        XChangeProperty(display, w, XInternAtom(display, "WM_NAME", False), utf8, 8, PropModeReplace, title,
                        length);
        XSetWMProtocols(display, w, &wm_delete, 1);
        XSelectInput(display, w, ButtonPressMask);
        XMapWindow(display, w);
        open.emplace(w, argv[i]);
    }
    XFlush(display);

    while (!open.empty()) {
        XEvent event;
        XNextEvent(display, &event);
        if (event.type == ButtonPress) {
            if (const auto it = open.find(event.xbutton.window); it != open.end()) {
                std::printf("click %s\n", it->second.c_str());
                std::fflush(stdout);
            }
            continue;
        }
        if (event.type != ClientMessage || event.xclient.message_type != wm_protocols ||
            static_cast<Atom>(event.xclient.data.l[0]) != wm_delete) {
            continue;
        }
        const auto it = open.find(event.xclient.window);
        if (it == open.end()) continue;
        XDestroyWindow(display, it->first);
        XFlush(display);
        std::printf("closed %s\n", it->second.c_str());
        std::fflush(stdout);
        open.erase(it);
    }
    XCloseDisplay(display);
    return 0;
}
