#include "platform/linux/x11_lockdown.h"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/keysym.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <utility>

namespace tn {
namespace {

using XWindow = ::Window;

// The modifier bits of a key entry.
constexpr int kAlt = 1;
constexpr int kCtrl = 2;
constexpr int kShift = 4;
constexpr int kSuper = 8;
constexpr int kAllModifiers = kAlt | kCtrl | kShift | kSuper;

// A key combination as X sees it: any of the keys, with exactly the modifiers of the entry, or with
// any modifiers at all.
struct Combination {
    std::string name;  // as the log and conflicts() show it: "Ctrl+Alt+Delete"
    std::vector<KeySym> keysyms;
    int modifiers = 0;  // entry bits
    bool any_modifier = false;
};

// Who wants a combination held: a lockdown key entry (key, modifier set), or the keyboard hook.
using Holder = std::pair<int, int>;
constexpr Holder kHookHolder{-1, -1};

// One passive grab as the server knows it.
struct Grab {
    XWindow root;
    unsigned keycode;
    unsigned modifiers;
    auto operator<=>(const Grab&) const = default;
};

// The predefined atoms, spelled out because the Xatom.h macros are C casts.
constexpr Atom kAtomAtom = 4;      // XA_ATOM
constexpr Atom kAtomCardinal = 6;  // XA_CARDINAL

// How far below a root child a window manager's frame may hold the client window.
constexpr int kFrameDepth = 2;

Combination superKeys() {
    return {"Super", {XK_Super_L, XK_Super_R}, kSuper, true};
}

std::vector<KeySym> keysymsOf(int key) {
    constexpr std::array<KeySym, 8> kNavigation = {XK_Prior, XK_Next, XK_End,   XK_Home,
                                                   XK_Left,  XK_Up,   XK_Right, XK_Down};
    if (key >= 'A' && key <= 'Z') return {static_cast<KeySym>(XK_a + (key - 'A'))};
    if (key >= '0' && key <= '9') return {static_cast<KeySym>(XK_0 + (key - '0'))};
    if (key >= 112 && key <= 135) return {static_cast<KeySym>(XK_F1 + (key - 112))};
    if (key >= 33 && key <= 40) return {kNavigation[static_cast<std::size_t>(key - 33)]};
    switch (key) {
        case 8:
            return {XK_BackSpace};
        case 9:
            return {XK_Tab};
        case 13:
            return {XK_Return};
        case 27:
            return {XK_Escape};
        case 32:
            return {XK_space};
        case 45:
            return {XK_Insert};
        case 46:
            return {XK_Delete, XK_KP_Delete};
        default:
            return {};
    }
}

// The combination a key entry stands for; empty when it has no X equivalent.
std::optional<Combination> combinationOf(int key, int modifiers) {
    if ((modifiers & ~kAllModifiers) != 0) return std::nullopt;
    if (key == 0) {
        if (modifiers == kSuper) return superKeys();
        return std::nullopt;
    }
    auto keysyms = keysymsOf(key);
    if (keysyms.empty()) return std::nullopt;
    std::string name;
    for (const auto& [bit, word] : {std::pair{kCtrl, "Ctrl+"}, std::pair{kAlt, "Alt+"},
                                    std::pair{kShift, "Shift+"}, std::pair{kSuper, "Super+"}}) {
        if ((modifiers & bit) != 0) name += word;
    }
    const char* key_name = XKeysymToString(keysyms.front());
    name += key_name != nullptr ? key_name : "?";
    return Combination{std::move(name), std::move(keysyms), modifiers, false};
}

void report(const std::string& name) {
    std::fprintf(stderr,
                 "tumblenest: key combination %s is held by another program; it stays available to the "
                 "child\n",
                 name.c_str());
}

// Collects the serial numbers of the requests the server refused while alive, instead of letting
// Xlib's default handler end the process. On the way out it waits for the server to have handled
// every request so far.
class ErrorScope {
public:
    explicit ErrorScope(Display* display)
        : display_(display), outer_(current_), previous_(XSetErrorHandler(&collect)) {
        current_ = this;
    }
    ~ErrorScope() {
        XSync(display_, False);
        current_ = outer_;
        XSetErrorHandler(previous_);
    }
    ErrorScope(const ErrorScope&) = delete;
    ErrorScope& operator=(const ErrorScope&) = delete;

    // Waits for the answers to every request so far; the serials of those that failed.
    const std::set<unsigned long>& failed() {
        XSync(display_, False);
        return failed_;
    }

private:
    static int collect(Display* display, XErrorEvent* error) {
        ErrorScope* outermost = nullptr;
        for (ErrorScope* scope = current_; scope != nullptr; scope = scope->outer_) {
            if (scope->display_ == display) {
                scope->failed_.insert(error->serial);
                return 0;
            }
            outermost = scope;
        }
        // Another connection's error: whoever handled errors before us decides.
        if (outermost != nullptr && outermost->previous_ != nullptr)
            return outermost->previous_(display, error);
        return 0;
    }
    static inline thread_local ErrorScope* current_ = nullptr;

    Display* display_;
    ErrorScope* outer_;
    XErrorHandler previous_;
    std::set<unsigned long> failed_;
};

// The server's keyboard and modifier mapping, read afresh: key codes can move while we run.
class Keymap {
public:
    explicit Keymap(Display* display) {
        XDisplayKeycodes(display, &min_, &max_);
        KeySym* syms = XGetKeyboardMapping(display, static_cast<KeyCode>(min_), max_ - min_ + 1, &per_);
        if (syms != nullptr) {
            syms_.assign(syms, syms + static_cast<std::ptrdiff_t>(max_ - min_ + 1) * per_);
            XFree(syms);
        }
        XModifierKeymap* map = XGetModifierMapping(display);
        if (map == nullptr) return;
        // Shift, Lock and Control are fixed; Alt, Super and NumLock sit on whichever of Mod1-Mod5
        // holds their keys.
        for (int index = Mod1MapIndex; index <= Mod5MapIndex; ++index) {
            const unsigned mask = 1u << index;
            for (int slot = 0; slot < map->max_keypermod; ++slot) {
                const KeyCode code = map->modifiermap[index * map->max_keypermod + slot];
                if (code == 0) continue;
                if (has(code, XK_Num_Lock) && num_lock == 0) num_lock = mask;
                if ((has(code, XK_Alt_L) || has(code, XK_Alt_R)) && !alt_found_) {
                    alt = mask;
                    alt_found_ = true;
                }
                if ((has(code, XK_Super_L) || has(code, XK_Super_R)) && !super_found_) {
                    super = mask;
                    super_found_ = true;
                }
            }
        }
        XFreeModifiermap(map);
    }

    // Every key code that produces the keysym at any level.
    std::vector<unsigned> codesOf(KeySym sym) const {
        std::vector<unsigned> out;
        for (int code = min_; code <= max_; ++code) {
            if (has(code, sym)) out.push_back(static_cast<unsigned>(code));
        }
        return out;
    }

    unsigned alt = Mod1Mask;
    unsigned super = Mod4Mask;
    unsigned num_lock = 0;  // none when no key carries Num_Lock

private:
    bool has(int code, KeySym sym) const {
        if (code < min_ || code > max_ || per_ <= 0) return false;
        const auto first = static_cast<std::size_t>((code - min_) * per_);
        const auto last = first + static_cast<std::size_t>(per_);
        if (last > syms_.size()) return false;
        return std::find(&syms_[first], syms_.data() + last, sym) != syms_.data() + last;
    }

    int min_ = 0;
    int max_ = -1;
    int per_ = 0;
    std::vector<KeySym> syms_;
    bool alt_found_ = false;
    bool super_found_ = false;
};

}  // namespace

// The lockdown's connection and the key grabs it holds for the lockdown and the keyboard hook.
struct X11Lockdown::Connection {
    Display* display = nullptr;
    std::vector<XWindow> roots;
    Atom window_type = None;
    Atom type_desktop = None;
    Atom wm_pid = None;
    int xkb_event = -1;  // the keyboard extension's event code; -1 without it

    std::map<Holder, Combination> wants;
    std::set<Grab> held;
    std::set<Holder> incomplete;  // wanted, not wholly held
    std::set<XWindow> destroyed;  // windows destroyed since the lockdown last looked

    explicit Connection(const std::string& name) {
        display = XOpenDisplay(name.empty() ? nullptr : name.c_str());
        if (display == nullptr) {
            const char* shown = name.empty() ? std::getenv("DISPLAY") : name.c_str();
            std::fprintf(
                stderr,
                "tumblenest: cannot open the X display \"%s\"; keys and desktop items are not locked\n",
                shown != nullptr ? shown : "");
            return;
        }
        for (int screen = 0; screen < XScreenCount(display); ++screen)
            roots.push_back(XRootWindow(display, screen));
        window_type = XInternAtom(display, "_NET_WM_WINDOW_TYPE", False);
        type_desktop = XInternAtom(display, "_NET_WM_WINDOW_TYPE_DESKTOP", False);
        wm_pid = XInternAtom(display, "_NET_WM_PID", False);
        // With the keyboard extension, a changed keymap is announced by its own events, and the core
        // MappingNotify reaches only clients that asked for them.
        int opcode = 0;
        int error_base = 0;
        int major = XkbMajorVersion;
        int minor = XkbMinorVersion;
        if (XkbQueryExtension(display, &opcode, &xkb_event, &error_base, &major, &minor) != 0) {
            constexpr unsigned long kChanges = XkbNewKeyboardNotifyMask | XkbMapNotifyMask;
            XkbSelectEvents(display, XkbUseCoreKbd, kChanges, kChanges);
        } else {
            xkb_event = -1;
        }
    }
    ~Connection() {
        // Closing the connection ends every grab it holds.
        if (display != nullptr) XCloseDisplay(display);
    }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    void hold(Holder holder, Combination combination) {
        const std::string name = combination.name;
        wants[holder] = std::move(combination);
        sync();
        if (incomplete.count(holder) != 0) report(name);
    }

    void release(Holder holder) {
        wants.erase(holder);
        sync();
    }

    std::set<Grab> grabsOf(const Combination& c, const Keymap& keymap) const {
        std::vector<unsigned> masks;
        // Only the Super keys are held with any modifier, and no other combination uses their key
        // codes: releasing one exact modifier set of a key held with any modifier would punch a hole
        // into that grab.
        if (c.any_modifier) {
            masks.push_back(AnyModifier);
        } else {
            unsigned base = 0;
            if ((c.modifiers & kAlt) != 0) base |= keymap.alt;
            if ((c.modifiers & kCtrl) != 0) base |= ControlMask;
            if ((c.modifiers & kShift) != 0) base |= ShiftMask;
            if ((c.modifiers & kSuper) != 0) base |= keymap.super;
            std::vector<unsigned> variants{base};
            if ((c.modifiers & kShift) == 0) variants.push_back(base | ShiftMask);
            for (const unsigned variant : variants) {
                for (const unsigned lock :
                     {0u, unsigned{LockMask}, keymap.num_lock, LockMask | keymap.num_lock})
                    masks.push_back(variant | lock);
            }
        }
        std::set<Grab> out;
        for (const KeySym sym : c.keysyms) {
            for (const unsigned code : keymap.codesOf(sym)) {
                for (const XWindow root : roots) {
                    for (const unsigned mask : masks)
                        out.insert({root, code, mask});
                }
            }
        }
        return out;
    }

    // Brings the grabs in line with what is wanted: releases those nobody wants (or that sit on key
    // codes the keys have left), and tries to take every wanted one not yet held.
    void sync() {
        incomplete.clear();
        if (display == nullptr) return;
        const Keymap keymap(display);
        std::map<Holder, std::set<Grab>> needed;
        std::set<Grab> all;
        for (const auto& [holder, combination] : wants) {
            auto grabs = grabsOf(combination, keymap);
            all.insert(grabs.begin(), grabs.end());
            needed.emplace(holder, std::move(grabs));
        }
        ErrorScope errors(display);
        for (auto it = held.begin(); it != held.end();) {
            if (all.count(*it) != 0) {
                ++it;
                continue;
            }
            XUngrabKey(display, static_cast<int>(it->keycode), it->modifiers, it->root);
            it = held.erase(it);
        }
        std::vector<std::pair<unsigned long, Grab>> attempts;
        for (const Grab& grab : all) {
            if (held.count(grab) != 0) continue;
            attempts.emplace_back(XNextRequest(display), grab);
            XGrabKey(display, static_cast<int>(grab.keycode), grab.modifiers, grab.root, False, GrabModeAsync,
                     GrabModeAsync);
        }
        const auto& failed = errors.failed();
        for (const auto& [serial, grab] : attempts) {
            if (failed.count(serial) == 0) held.insert(grab);
        }
        for (const auto& [holder, grabs] : needed) {
            if (!std::includes(held.begin(), held.end(), grabs.begin(), grabs.end()))
                incomplete.insert(holder);
        }
    }

    void drain() {
        if (display == nullptr) return;
        bool remapped = true;
        while (remapped) {
            remapped = false;
            while (XPending(display) > 0) {
                XEvent event;
                XNextEvent(display, &event);
                if (event.type == MappingNotify) {
                    if (event.xmapping.request != MappingPointer) remapped = true;
                    XRefreshKeyboardMapping(&event.xmapping);
                } else if (xkb_event >= 0 && event.type == xkb_event) {
                    const int kind = reinterpret_cast<const XkbEvent*>(&event)->any.xkb_type;
                    if (kind == XkbMapNotify || kind == XkbNewKeyboardNotify) remapped = true;
                } else if (event.type == DestroyNotify) {
                    destroyed.insert(event.xdestroywindow.window);
                }
                // Grabbed key presses and releases end here: swallowing them is the point.
            }
            if (remapped) {
                sync();
                for (const Holder& holder : incomplete)
                    report(wants.at(holder).name);
            }
        }
    }

    std::vector<std::string> conflicts() const {
        std::vector<std::string> out;
        for (const Holder& holder : incomplete) {
            const std::string& name = wants.at(holder).name;
            if (std::find(out.begin(), out.end(), name) == out.end()) out.push_back(name);
        }
        return out;
    }

    // The 32-bit items of a window property of the given type (at most max of them); empty when the
    // window has no such property.
    std::vector<unsigned long> longProperty(XWindow w, Atom property, Atom type, long max) const {
        Atom actual = None;
        int format = 0;
        unsigned long count = 0;
        unsigned long after = 0;
        unsigned char* data = nullptr;
        const int status = XGetWindowProperty(display, w, property, 0, max, False, type, &actual, &format,
                                              &count, &after, &data);
        std::vector<unsigned long> items;
        if (status == Success && data != nullptr && format == 32) {
            const auto* longs = reinterpret_cast<const unsigned long*>(data);
            items.assign(longs, longs + count);
        }
        if (data != nullptr) XFree(data);
        return items;
    }

    bool hasType(XWindow w, Atom type) const {
        const auto types = longProperty(w, window_type, kAtomAtom, 32);
        return std::find(types.begin(), types.end(), type) != types.end();
    }

    // Whether the window belongs to this process (the shell's own windows are never hidden).
    bool ours(XWindow w) const {
        const auto pid = longProperty(w, wm_pid, kAtomCardinal, 1);
        return pid.size() == 1 && pid[0] == static_cast<unsigned long>(::getpid());
    }

    std::vector<XWindow> children(XWindow w) const {
        XWindow root = None;
        XWindow parent = None;
        XWindow* raw = nullptr;
        unsigned int count = 0;
        if (XQueryTree(display, w, &root, &parent, &raw, &count) == 0) return {};
        std::vector<XWindow> out(raw, raw + count);
        if (raw != nullptr) XFree(raw);
        return out;
    }

    void collectTyped(XWindow w, Atom type, int depth, std::vector<XWindow>& out) const {
        if (hasType(w, type)) {
            out.push_back(w);
            return;
        }
        if (depth == 0) return;
        for (const XWindow child : children(w))
            collectTyped(child, type, depth - 1, out);
    }

    // The desktop windows: root children of type DESKTOP, or such clients inside a window manager's
    // frames.
    std::vector<XWindow> desktopWindows() const {
        std::vector<XWindow> out;
        const ErrorScope errors(display);  // windows may vanish while the tree is walked
        for (const XWindow root : roots) {
            for (const XWindow child : children(root))
                collectTyped(child, type_desktop, kFrameDepth, out);
        }
        return out;
    }
};

X11Lockdown::X11Lockdown(const std::string& display_name)
    : x_(std::make_shared<Connection>(display_name)), windows_(display_name) {}

X11Lockdown::~X11Lockdown() {
    x_->drain();
    for (const auto& [item, windows] : std::map(hidden_)) {
        if (!windows.empty()) show(item);
    }
    // The hook may still use the connection: only this lockdown's entries go.
    for (auto it = x_->wants.begin(); it != x_->wants.end();) {
        it = it->first == kHookHolder ? std::next(it) : x_->wants.erase(it);
    }
    x_->sync();
    x_->drain();
}

bool X11Lockdown::connected() const {
    return x_->display != nullptr;
}

int X11Lockdown::fd() const {
    return connected() ? XConnectionNumber(x_->display) : -1;
}

void X11Lockdown::drain() {
    x_->drain();
}

std::vector<std::string> X11Lockdown::conflicts() const {
    return x_->conflicts();
}

void X11Lockdown::wlDisableKey(int /*window*/, int key, int modifiers, int state) {
    x_->drain();
    const Holder holder{key, modifiers};
    if (state == 0) {
        x_->release(holder);
    } else if (auto combination = combinationOf(key, modifiers)) {
        x_->hold(holder, std::move(*combination));
    } else {
        std::fprintf(stderr,
                     "tumblenest: key %d with modifier set %d has no X11 equivalent; nothing is held\n", key,
                     modifiers);
    }
    x_->drain();
}

void X11Lockdown::wlDisableItem(int item, int state) {
    x_->drain();
    if (state != 0) {
        disabled_items_.insert(item);
        hide(item);
    } else if (disabled_items_.erase(item) != 0) {
        show(item);
    }
    x_->drain();
}

void X11Lockdown::hide(int item) {
    if (!connected() || (item != 1 && item != 2)) return;
    const std::vector<XWindow> found = item == 1 ? windows_.panels() : x_->desktopWindows();
    auto& hidden = hidden_[item];
    const ErrorScope errors(x_->display);
    for (const XWindow w : found) {
        XWindowAttributes attributes{};
        if (XGetWindowAttributes(x_->display, w, &attributes) == 0) continue;  // gone meanwhile
        if (attributes.map_state == IsUnmapped || x_->ours(w)) continue;
        // Told of its destruction, so that an id reused later is never mapped by mistake.
        XSelectInput(x_->display, w, StructureNotifyMask);
        // Withdrawing rather than merely unmapping tells a window manager to let go of it too.
        XWithdrawWindow(x_->display, w, XScreenNumberOfScreen(attributes.screen));
        if (std::find(hidden.begin(), hidden.end(), w) == hidden.end()) hidden.push_back(w);
        x_->destroyed.erase(w);
    }
}

void X11Lockdown::show(int item) {
    const auto it = hidden_.find(item);
    if (it == hidden_.end()) return;
    const std::vector<XWindow> windows = std::move(it->second);
    hidden_.erase(it);
    if (!connected()) return;
    const ErrorScope errors(x_->display);
    for (const XWindow w : windows) {
        if (x_->destroyed.erase(w) != 0) continue;
        XMapWindow(x_->display, w);
        XSelectInput(x_->display, w, NoEventMask);
    }
}

X11KeyboardHook::X11KeyboardHook(X11Lockdown& lockdown) : x_(lockdown.x_) {
    x_->hold(kHookHolder, superKeys());
    x_->drain();
}

X11KeyboardHook::~X11KeyboardHook() {
    FreeHook();
}

void X11KeyboardHook::FreeHook() {
    if (freed_) return;
    freed_ = true;
    x_->release(kHookHolder);
    x_->drain();
}

}  // namespace tn
