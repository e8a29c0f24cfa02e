#include "platform/linux/x11_windows.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <initializer_list>
#include <set>

namespace tn {
namespace {

using XWindow = ::Window;

enum AtomName : std::size_t {
    kUtf8String,
    kWmState,
    kWmProtocols,
    kWmDeleteWindow,
    kNetSupportingWmCheck,
    kNetClientList,
    kNetClientListStacking,
    kNetActiveWindow,
    kNetCloseWindow,
    kNetWmName,
    kNetWmState,
    kNetWmStateMaximizedVert,
    kNetWmStateMaximizedHorz,
    kNetWmWindowType,
    kNetWmWindowTypeDock,
    kNetWmWindowTypeDesktop,
    kAtomCount
};

constexpr std::array<const char*, kAtomCount> kAtomNames = {
    "UTF8_STRING",
    "WM_STATE",
    "WM_PROTOCOLS",
    "WM_DELETE_WINDOW",
    "_NET_SUPPORTING_WM_CHECK",
    "_NET_CLIENT_LIST",
    "_NET_CLIENT_LIST_STACKING",
    "_NET_ACTIVE_WINDOW",
    "_NET_CLOSE_WINDOW",
    "_NET_WM_NAME",
    "_NET_WM_STATE",
    "_NET_WM_STATE_MAXIMIZED_VERT",
    "_NET_WM_STATE_MAXIMIZED_HORZ",
    "_NET_WM_WINDOW_TYPE",
    "_NET_WM_WINDOW_TYPE_DOCK",
    "_NET_WM_WINDOW_TYPE_DESKTOP",
};

// The predefined atoms, spelled out because the Xatom.h macros are C casts.
constexpr Atom kAtomAtom = 4;     // XA_ATOM
constexpr Atom kAtomString = 31;  // XA_STRING
constexpr Atom kAtomWindow = 33;  // XA_WINDOW
constexpr Atom kAtomWmName = 39;  // XA_WM_NAME

// Upper bounds for property reads, in 32-bit units: far above any real client list or title.
constexpr long kMaxListLongs = 1 << 16;
constexpr long kMaxTextLongs = 1 << 12;
// How deep a window manager's frame may nest the client window it holds.
constexpr int kFrameDepth = 3;

// The _NET_WM_STATE and _NET_ACTIVE_WINDOW messages say who asks; a pager's requests are what the
// user asked for, so window managers carry them out without their focus-stealing checks.
constexpr long kSourcePager = 2;
constexpr long kNetWmStateAdd = 1;

struct XFreeDeleter {
    void operator()(void* p) const {
        if (p != nullptr) XFree(p);
    }
};
template <typename T>
using XPtr = std::unique_ptr<T, XFreeDeleter>;

// Swallows X errors while alive and waits, on the way out, for the server to have handled every
// request so far: errors about windows that vanished arrive inside the scope, and the requests
// have taken effect when the caller returns.
class ErrorTrap {
public:
    explicit ErrorTrap(Display* display) : display_(display), previous_(XSetErrorHandler(&ignore)) {}
    ~ErrorTrap() {
        XSync(display_, False);
        XSetErrorHandler(previous_);
    }
    ErrorTrap(const ErrorTrap&) = delete;
    ErrorTrap& operator=(const ErrorTrap&) = delete;

private:
    static int ignore(Display*, XErrorEvent*) { return 0; }
    Display* display_;
    XErrorHandler previous_;
};

std::string latin1ToUtf8(const std::string& latin1) {
    std::string out;
    out.reserve(latin1.size());
    for (const char ch : latin1) {
        const auto c = static_cast<unsigned char>(ch);
        if (c < 0x80) {
            out.push_back(ch);
        } else {
            out.push_back(static_cast<char>(0xC0 | (c >> 6)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    return out;
}

}  // namespace

struct X11Windows::Connection {
    enum class Manager { kNone, kIcccm, kEwmh };
    struct Entry {
        XWindow id;
        std::string title;
        IWindows::State state;
    };

    Display* display = nullptr;
    int screen = 0;
    XWindow root = None;
    std::array<Atom, kAtomCount> atom{};
    Atom manager_selection = None;  // WM_Sn, owned by any ICCCM window manager of the screen

    explicit Connection(const std::string& name) {
        display = XOpenDisplay(name.empty() ? nullptr : name.c_str());
        if (display == nullptr) return;
        screen = XDefaultScreen(display);
        root = XRootWindow(display, screen);
        std::array<char*, kAtomCount> names{};
        for (std::size_t i = 0; i < kAtomCount; ++i)
            names[i] = const_cast<char*>(kAtomNames[i]);
        XInternAtoms(display, names.data(), static_cast<int>(kAtomCount), False, atom.data());
        const std::string selection = "WM_S" + std::to_string(screen);
        manager_selection = XInternAtom(display, selection.c_str(), False);
    }
    ~Connection() {
        if (display != nullptr) XCloseDisplay(display);
    }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // A format-32 property of the given type; empty when absent or of another type.
    std::optional<std::vector<unsigned long>> longs(XWindow w, Atom property, Atom type) const {
        Atom actual = None;
        int format = 0;
        unsigned long count = 0;
        unsigned long after = 0;
        unsigned char* raw = nullptr;
        const int status = XGetWindowProperty(display, w, property, 0, kMaxListLongs, False, type, &actual,
                                              &format, &count, &after, &raw);
        const XPtr<unsigned char> data(raw);
        if (status != Success || actual != type || format != 32) return std::nullopt;
        // Xlib hands format-32 items over as longs, whatever their size on the wire.
        std::vector<unsigned long> values(count);
        if (count > 0) std::memcpy(values.data(), data.get(), count * sizeof(unsigned long));
        return values;
    }

    std::optional<std::string> bytes(XWindow w, Atom property, Atom type) const {
        Atom actual = None;
        int format = 0;
        unsigned long count = 0;
        unsigned long after = 0;
        unsigned char* raw = nullptr;
        const int status = XGetWindowProperty(display, w, property, 0, kMaxTextLongs, False, type, &actual,
                                              &format, &count, &after, &raw);
        const XPtr<unsigned char> data(raw);
        if (status != Success || actual != type || format != 8 || data == nullptr) return std::nullopt;
        return std::string(reinterpret_cast<const char*>(data.get()), count);
    }

    std::optional<XWindow> windowProperty(XWindow w, AtomName property) const {
        const auto values = longs(w, atom[property], kAtomWindow);
        if (!values || values->empty()) return std::nullopt;
        return values->front();
    }

    // The window manager is asked afresh on each call: it may have started or ended since.
    Manager manager() const {
        // The check window names itself too, so a property left behind by a manager that ended
        // (its window id perhaps reused) is not taken for a running one.
        if (const auto check = windowProperty(root, kNetSupportingWmCheck)) {
            if (windowProperty(*check, kNetSupportingWmCheck) == check) return Manager::kEwmh;
        }
        if (XGetSelectionOwner(display, manager_selection) != None) return Manager::kIcccm;
        return Manager::kNone;
    }

    std::optional<unsigned long> wmState(XWindow w) const {
        const auto values = longs(w, atom[kWmState], atom[kWmState]);
        if (!values || values->empty()) return std::nullopt;
        return values->front();
    }

    bool exists(XWindow w) const {
        XWindowAttributes attributes{};
        return w != None && w != root && XGetWindowAttributes(display, w, &attributes) != 0;
    }

    std::vector<XWindow> children(XWindow w) const {
        XWindow root_return = None;
        XWindow parent = None;
        XWindow* raw = nullptr;
        unsigned int count = 0;
        if (XQueryTree(display, w, &root_return, &parent, &raw, &count) == 0) return {};
        const XPtr<XWindow> kids(raw);
        return std::vector<XWindow>(kids.get(), kids.get() + count);
    }

    std::optional<XWindow> parent(XWindow w) const {
        XWindow root_return = None;
        XWindow parent_window = None;
        XWindow* raw = nullptr;
        unsigned int count = 0;
        if (XQueryTree(display, w, &root_return, &parent_window, &raw, &count) == 0) return std::nullopt;
        const XPtr<XWindow> kids(raw);
        return parent_window;
    }

    // The client window a window manager's frame holds: the window itself or the nearest
    // descendant that carries WM_STATE. None when there is none.
    XWindow clientIn(XWindow frame, int depth) const {
        if (wmState(frame)) return frame;
        if (depth == 0) return None;
        for (const XWindow child : children(frame)) {
            if (const XWindow client = clientIn(child, depth - 1); client != None) return client;
        }
        return None;
    }

    std::string title(XWindow w) const {
        if (auto name = bytes(w, atom[kNetWmName], atom[kUtf8String]); name && !name->empty()) return *name;
        XTextProperty property{};
        if (XGetTextProperty(display, w, &property, kAtomWmName) == 0) return {};
        const XPtr<unsigned char> value(property.value);
        if (value == nullptr || property.format != 8 || property.nitems == 0) return {};
        std::string raw(reinterpret_cast<const char*>(value.get()), property.nitems);
        raw.resize(std::min(raw.size(), raw.find('\0')));
        // STRING is Latin-1 by definition, and many programs put UTF-8 in WM_NAME; only
        // COMPOUND_TEXT needs Xlib's converters.
        if (property.encoding == kAtomString) return latin1ToUtf8(raw);
        if (property.encoding == atom[kUtf8String]) return raw;
        char** list = nullptr;
        int count = 0;
        const int converted = Xutf8TextPropertyToTextList(display, &property, &list, &count);
        std::string text = raw;
        if (converted >= Success && list != nullptr && count > 0) text = list[0];
        if (list != nullptr) XFreeStringList(list);
        return text;
    }

    bool hasType(XWindow w, std::initializer_list<AtomName> types) const {
        const auto values = longs(w, atom[kNetWmWindowType], kAtomAtom);
        if (!values) return false;
        return std::any_of(values->begin(), values->end(), [&](unsigned long value) {
            return std::any_of(types.begin(), types.end(), [&](AtomName t) { return atom[t] == value; });
        });
    }

    // The windows that may be application windows, bottom to top, before filtering.
    std::vector<XWindow> candidates(Manager m) const {
        if (m == Manager::kEwmh) {
            auto clients = longs(root, atom[kNetClientListStacking], kAtomWindow);
            if (!clients) clients = longs(root, atom[kNetClientList], kAtomWindow);
            if (clients) return std::vector<XWindow>(clients->begin(), clients->end());
        }
        std::vector<XWindow> out;
        for (const XWindow child : children(root)) {
            if (m == Manager::kNone) {
                out.push_back(child);
            } else if (const XWindow client = clientIn(child, kFrameDepth); client != None) {
                out.push_back(client);
            }
        }
        return out;
    }

    std::vector<Entry> applicationWindows(Manager m) const {
        std::vector<Entry> out;
        std::set<XWindow> seen;
        for (const XWindow w : candidates(m)) {
            if (!seen.insert(w).second) continue;
            XWindowAttributes attributes{};
            if (XGetWindowAttributes(display, w, &attributes) == 0) continue;  // gone meanwhile
            if (attributes.override_redirect || attributes.c_class == InputOnly) continue;
            if (hasType(w, {kNetWmWindowTypeDock, kNetWmWindowTypeDesktop})) continue;
            const bool viewable = attributes.map_state == IsViewable;
            const auto state = wmState(w);
            Entry entry{w, title(w),
                        state == IconicState ? IWindows::State::Minimized
                        : viewable           ? IWindows::State::Normal
                                             : IWindows::State::Hidden};
            if (m == Manager::kNone && !viewable && entry.title.empty()) continue;
            out.push_back(std::move(entry));
        }
        return out;
    }

    void sendToRoot(XWindow w, AtomName type, std::array<long, 5> data) const {
        XEvent event{};
        event.xclient.type = ClientMessage;
        event.xclient.window = w;
        event.xclient.message_type = atom[type];
        event.xclient.format = 32;
        std::copy(data.begin(), data.end(), event.xclient.data.l);
        XSendEvent(display, root, False, SubstructureRedirectMask | SubstructureNotifyMask, &event);
    }

    // Brings the window up, un-minimised, with the input focus.
    void activate(XWindow w, Manager m) const {
        if (m == Manager::kEwmh) {
            // Mapping is the standard way out of the Iconic state, and hands a withdrawn window to
            // the manager; the activation request then raises and focuses it.
            if (wmState(w) != NormalState) XMapWindow(display, w);
            sendToRoot(w, kNetActiveWindow, {kSourcePager, CurrentTime, None, 0, 0});
            return;
        }
        XMapRaised(display, w);
        XSetInputFocus(display, w, RevertToParent, CurrentTime);
    }

    // Adds the maximised states to a window the manager does not manage yet, which it reads when
    // the window is mapped; a managed window is asked by message instead.
    void markMaximized(XWindow w) const {
        auto states = longs(w, atom[kNetWmState], kAtomAtom).value_or(std::vector<unsigned long>{});
        for (const AtomName name : {kNetWmStateMaximizedVert, kNetWmStateMaximizedHorz}) {
            if (std::find(states.begin(), states.end(), atom[name]) == states.end()) {
                states.push_back(atom[name]);
            }
        }
        XChangeProperty(display, w, atom[kNetWmState], kAtomAtom, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(states.data()),
                        static_cast<int>(states.size()));
    }
};

X11Windows::X11Windows(const std::string& display_name) : x_(std::make_unique<Connection>(display_name)) {}

X11Windows::~X11Windows() = default;

bool X11Windows::connected() const {
    return x_->display != nullptr;
}

std::vector<IWindows::Window> X11Windows::list(bool visible_only) {
    std::vector<Window> out;
    if (!connected()) return out;
    const ErrorTrap trap(x_->display);
    for (auto& entry : x_->applicationWindows(x_->manager())) {
        if (!visible_only || entry.state == State::Normal) {
            out.push_back({entry.id, std::move(entry.title), entry.state});
        }
    }
    return out;
}

std::optional<IWindows::Id> X11Windows::findByTitle(const std::string& title) {
    for (const auto& window : list(false)) {
        if (window.title == title) return window.id;
    }
    return std::nullopt;
}

void X11Windows::showMaximized(Id id) {
    if (!connected()) return;
    const ErrorTrap trap(x_->display);
    const XWindow w = id;
    XWindowAttributes attributes{};
    if (w == x_->root || XGetWindowAttributes(x_->display, w, &attributes) == 0) return;
    const auto m = x_->manager();
    if (m == Connection::Manager::kEwmh) {
        const auto state = x_->wmState(w);
        if (!state || *state == WithdrawnState) x_->markMaximized(w);
        x_->activate(w, m);
        x_->sendToRoot(w, kNetWmState,
                       {kNetWmStateAdd, static_cast<long>(x_->atom[kNetWmStateMaximizedVert]),
                        static_cast<long>(x_->atom[kNetWmStateMaximizedHorz]), kSourcePager, 0});
        return;
    }
    // No manager to ask: cover the window's screen from its top-left corner.
    XWindowChanges changes{};
    changes.x = 0;
    changes.y = 0;
    changes.width = XWidthOfScreen(attributes.screen);
    changes.height = XHeightOfScreen(attributes.screen);
    changes.border_width = 0;
    XConfigureWindow(x_->display, w, CWX | CWY | CWWidth | CWHeight | CWBorderWidth, &changes);
    x_->activate(w, m);
}

void X11Windows::showNormal(Id id) {
    bringToForeground(id);
}

void X11Windows::bringToForeground(Id id) {
    if (!connected()) return;
    const ErrorTrap trap(x_->display);
    if (!x_->exists(id)) return;
    x_->activate(id, x_->manager());
}

void X11Windows::askToClose(Id id) {
    if (!connected()) return;
    const ErrorTrap trap(x_->display);
    const XWindow w = id;
    if (!x_->exists(w)) return;
    Atom* raw = nullptr;
    int count = 0;
    bool deletable = false;
    if (XGetWMProtocols(x_->display, w, &raw, &count) != 0) {
        const XPtr<Atom> protocols(raw);
        deletable = std::find(raw, raw + count, x_->atom[kWmDeleteWindow]) != raw + count;
    }
    if (deletable) {
        XEvent event{};
        event.xclient.type = ClientMessage;
        event.xclient.window = w;
        event.xclient.message_type = x_->atom[kWmProtocols];
        event.xclient.format = 32;
        event.xclient.data.l[0] = static_cast<long>(x_->atom[kWmDeleteWindow]);
        event.xclient.data.l[1] = CurrentTime;
        // An empty event mask delivers the event to the client that created the window.
        XSendEvent(x_->display, w, False, NoEventMask, &event);
    } else if (x_->manager() == Connection::Manager::kEwmh) {
        x_->sendToRoot(w, kNetCloseWindow, {CurrentTime, kSourcePager, 0, 0, 0});
    }
}

std::optional<IWindows::Id> X11Windows::foreground() {
    if (!connected()) return std::nullopt;
    const ErrorTrap trap(x_->display);
    const auto m = x_->manager();
    if (m == Connection::Manager::kEwmh) {
        if (const auto active = x_->longs(x_->root, x_->atom[kNetActiveWindow], kAtomWindow)) {
            if (active->empty() || active->front() == None) return std::nullopt;
            return active->front();
        }
    }
    XWindow focus = None;
    int revert = 0;
    XGetInputFocus(x_->display, &focus, &revert);
    if (focus == None || focus == PointerRoot || focus == x_->root) return std::nullopt;
    // The focus may sit on a sub-window; the answer is the top-level window around it.
    while (true) {
        const auto up = x_->parent(focus);
        if (!up || *up == None) return std::nullopt;
        if (*up == x_->root) break;
        focus = *up;
    }
    if (m != Connection::Manager::kNone) {
        if (const XWindow client = x_->clientIn(focus, kFrameDepth); client != None) return client;
    }
    return focus;
}

void X11Windows::minimize(Id id) {
    if (!connected()) return;
    const ErrorTrap trap(x_->display);
    // Iconifying is the window manager's business; without one the request would go unheard.
    if (!x_->exists(id) || x_->manager() == Connection::Manager::kNone) return;
    XIconifyWindow(x_->display, id, x_->screen);
}

std::vector<IWindows::Id> X11Windows::panels() {
    std::vector<Id> out;
    if (!connected()) return out;
    const ErrorTrap trap(x_->display);
    // Unmapped panels are in no client list, so the whole tree is searched: the root's children
    // and the client windows framed inside them.
    for (const XWindow child : x_->children(x_->root)) {
        std::vector<XWindow> found{child};
        if (const XWindow client = x_->clientIn(child, kFrameDepth); client != None && client != child) {
            found.push_back(client);
        }
        for (const XWindow w : found) {
            if (x_->hasType(w, {kNetWmWindowTypeDock})) out.push_back(w);
        }
    }
    return out;
}

void X11Windows::mapRaised(Id id) {
    if (!connected()) return;
    const ErrorTrap trap(x_->display);
    if (x_->exists(id)) XMapRaised(x_->display, id);
}

}  // namespace tn
