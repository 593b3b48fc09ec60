// The shortcuts on X11: passive grabs on the root window, over a connection of the
// program's own opened when the first key is set (Qt's own connection is xcb's, and its
// events are not ours to read). Each key is grabbed with and without NumLock and CapsLock,
// since either being on would otherwise make the key go unseen. A Wayland session grabs
// nothing: XWayland's root window sees keys only while an X window has the focus.
#include "app/global_keys.h"

#include "core/x11/error_trap.h"

#include <QKeySequence>
#include <QSocketNotifier>
#include <QTimer>
#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/keysym.h>
#include <array>
#include <cstdlib>
#include <optional>
#include <utility>

// Xlib's "no resource" macro would shadow the shortcuts' "no key".
#undef None

namespace ocuvell {

namespace {

// Keys named by Qt that are no Latin-1 character, and their X names.
struct NamedKey {
    int qt;
    KeySym x;
};
constexpr NamedKey kNamedKeys[] = {
    {Qt::Key_Escape, XK_Escape},
    {Qt::Key_Tab, XK_Tab},
    {Qt::Key_Backspace, XK_BackSpace},
    {Qt::Key_Return, XK_Return},
    {Qt::Key_Enter, XK_KP_Enter},
    {Qt::Key_Insert, XK_Insert},
    {Qt::Key_Delete, XK_Delete},
    {Qt::Key_Pause, XK_Pause},
    {Qt::Key_Print, XK_Print},
    {Qt::Key_Home, XK_Home},
    {Qt::Key_End, XK_End},
    {Qt::Key_Left, XK_Left},
    {Qt::Key_Up, XK_Up},
    {Qt::Key_Right, XK_Right},
    {Qt::Key_Down, XK_Down},
    {Qt::Key_PageUp, XK_Page_Up},
    {Qt::Key_PageDown, XK_Page_Down},
    {Qt::Key_Menu, XK_Menu},
    {Qt::Key_MonBrightnessUp, 0x1008FF02},   // XF86MonBrightnessUp
    {Qt::Key_MonBrightnessDown, 0x1008FF03}, // XF86MonBrightnessDown
};

KeySym keySymOf(int qtKey) {
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F35)
        return XK_F1 + (qtKey - Qt::Key_F1);
    // Latin-1 keys are their own code; Qt names letters by their capitals, X by both.
    if (qtKey >= 0x20 && qtKey <= 0xff)
        return QChar(qtKey).toLower().unicode();
    for (const NamedKey& k : kNamedKeys)
        if (k.qt == qtKey)
            return k.x;
    return NoSymbol;
}

unsigned modifierMask(Qt::KeyboardModifiers m) {
    unsigned mask = 0;
    if (m & Qt::ShiftModifier)
        mask |= ShiftMask;
    if (m & Qt::ControlModifier)
        mask |= ControlMask;
    if (m & Qt::AltModifier)
        mask |= Mod1Mask;
    if (m & Qt::MetaModifier)
        mask |= Mod4Mask;
    return mask;
}

bool waylandSession() {
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return wayland && *wayland;
}

} // namespace

struct GlobalKeys::Native {
    struct Grab {
        KeyCode code = 0;
        unsigned mods = 0;
        bool down = false; // pressed and not yet released: a held key's repeats
    };
    Display* display = nullptr;
    Window root = 0;
    unsigned numLock = 0;
    std::unique_ptr<QSocketNotifier> news;
    std::array<std::optional<Grab>, kShortcuts.size()> grabs;

    ~Native() {
        news.reset();
        if (display)
            XCloseDisplay(display);
    }

    std::array<unsigned, 4> lockVariants() const {
        return {0u, LockMask, numLock, numLock | LockMask};
    }

    void ungrab(const Grab& g) {
        for (unsigned lock : lockVariants())
            XUngrabKey(display, g.code, g.mods | lock, root);
    }

    // False when another client holds any of the variants.
    // Grab errors come back asynchronously: the trap holds them until the sync.
    bool grab(const Grab& g) {
        bool refused = false;
        {
            const XErrorTrap trap(display);
            for (unsigned lock : lockVariants())
                XGrabKey(display, g.code, g.mods | lock, root, False, GrabModeAsync, GrabModeAsync);
            XSync(display, False);
            refused = trap.failed();
        }
        if (refused) {
            ungrab(g);
            XFlush(display);
        }
        return !refused;
    }

    bool open() {
        if (display)
            return true;
        display = XOpenDisplay(nullptr);
        if (!display)
            return false;
        root = DefaultRootWindow(display);
        // A held key repeats as presses alone, so that a repeat can be told from a new press.
        XkbSetDetectableAutoRepeat(display, True, nullptr);
        numLock = numLockMask();
        return true;
    }

    void readEvents(const std::function<void(Shortcut)>& pressed) {
        while (XPending(display)) {
            XEvent e;
            XNextEvent(display, &e);
            if (e.type != KeyPress && e.type != KeyRelease)
                continue;
            // The key's release ends its press whatever modifiers were let go first.
            const unsigned mods = e.xkey.state & ~(LockMask | numLock);
            for (Shortcut s : kShortcuts) {
                auto& g = grabs[static_cast<std::size_t>(s)];
                if (!g || g->code != e.xkey.keycode)
                    continue;
                if (e.type == KeyRelease) {
                    g->down = false;
                    continue;
                }
                if (g->mods != mods)
                    continue;
                const bool repeat = std::exchange(g->down, true);
                // Held down, the brightness keys go on stepping; the others act once.
                if (!repeat || s == Shortcut::Brighter || s == Shortcut::Darker)
                    pressed(s);
                break;
            }
        }
    }

    unsigned numLockMask() const {
        unsigned mask = 0;
        XModifierKeymap* map = XGetModifierMapping(display);
        const KeyCode numLockCode = XKeysymToKeycode(display, XK_Num_Lock);
        for (int m = 0; map && numLockCode && m < 8; ++m)
            for (int k = 0; k < map->max_keypermod; ++k)
                if (map->modifiermap[m * map->max_keypermod + k] == numLockCode)
                    mask = 1u << m;
        if (map)
            XFreeModifiermap(map);
        return mask;
    }
};

GlobalKeys::GlobalKeys(std::function<void(Shortcut)> pressed)
    : native_(std::make_unique<Native>()), pressed_(std::move(pressed)) {}

GlobalKeys::~GlobalKeys() = default;

bool GlobalKeys::canTake() const {
    return !waylandSession();
}

KeyTake GlobalKeys::take(Shortcut action, const std::string& keyText) {
    Native& n = *native_;
    auto& held = n.grabs[static_cast<std::size_t>(action)];
    if (held) {
        n.ungrab(*held);
        XFlush(n.display);
        held.reset();
    }
    if (keyText.empty())
        return KeyTake::None;
    if (waylandSession())
        return KeyTake::NoGrabs;
    const QKeySequence sequence =
        QKeySequence::fromString(QString::fromStdString(keyText), QKeySequence::PortableText);
    if (sequence.count() != 1 || sequence[0].key() == Qt::Key_unknown)
        return KeyTake::Unusable;
    const KeySym sym = keySymOf(sequence[0].key());
    if (sym == NoSymbol || !n.open())
        return KeyTake::Unusable;
    const KeyCode code = XKeysymToKeycode(n.display, sym);
    if (code == 0)
        return KeyTake::Unusable;
    const Native::Grab g{code, modifierMask(sequence[0].keyboardModifiers())};
    if (!n.grab(g))
        return KeyTake::Held;
    held = g;

    if (!n.news) {
        n.news =
            std::make_unique<QSocketNotifier>(ConnectionNumber(n.display), QSocketNotifier::Read);
        QObject::connect(n.news.get(), &QSocketNotifier::activated, n.news.get(),
                         [this] { native_->readEvents(pressed_); });
    }
    // The check's round trip may have read events the notifier will not announce.
    if (XPending(n.display))
        QTimer::singleShot(0, n.news.get(), [this] { native_->readEvents(pressed_); });
    return KeyTake::Taken;
}

} // namespace ocuvell
