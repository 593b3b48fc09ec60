// The shortcuts on Windows: hot keys registered for the GUI thread. Each press posts
// WM_HOTKEY to the thread's queue, where the event dispatcher shows it to this filter
// before anything else sees it.
#include "app/global_keys.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QKeySequence>
#include <array>
#include <windows.h>

namespace ocuvell {

namespace {

// Hot key ids of a thread's own lie below 0xC000; ours start here.
constexpr int kFirstId = 0x4f00;

struct NamedKey {
    int qt;
    UINT vk;
};
constexpr NamedKey kNamedKeys[] = {
    {Qt::Key_Escape, VK_ESCAPE}, {Qt::Key_Tab, VK_TAB},       {Qt::Key_Backspace, VK_BACK},
    {Qt::Key_Return, VK_RETURN}, {Qt::Key_Enter, VK_RETURN},  {Qt::Key_Insert, VK_INSERT},
    {Qt::Key_Delete, VK_DELETE}, {Qt::Key_Pause, VK_PAUSE},   {Qt::Key_Print, VK_SNAPSHOT},
    {Qt::Key_Home, VK_HOME},     {Qt::Key_End, VK_END},       {Qt::Key_Left, VK_LEFT},
    {Qt::Key_Up, VK_UP},         {Qt::Key_Right, VK_RIGHT},   {Qt::Key_Down, VK_DOWN},
    {Qt::Key_PageUp, VK_PRIOR},  {Qt::Key_PageDown, VK_NEXT}, {Qt::Key_Space, VK_SPACE},
    {Qt::Key_Menu, VK_APPS},
};

UINT virtualKeyOf(int qtKey) {
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24)
        return VK_F1 + (qtKey - Qt::Key_F1);
    if ((qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) || (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9))
        return static_cast<UINT>(qtKey);
    for (const NamedKey& k : kNamedKeys)
        if (k.qt == qtKey)
            return k.vk;
    // Punctuation: the key of this keyboard's layout that types it.
    if (qtKey > 0x20 && qtKey <= 0xff) {
        const SHORT scan = VkKeyScanW(static_cast<WCHAR>(qtKey));
        if (scan != -1)
            return LOBYTE(scan);
    }
    return 0;
}

UINT modifierFlags(Qt::KeyboardModifiers m) {
    UINT flags = 0;
    if (m & Qt::ShiftModifier)
        flags |= MOD_SHIFT;
    if (m & Qt::ControlModifier)
        flags |= MOD_CONTROL;
    if (m & Qt::AltModifier)
        flags |= MOD_ALT;
    if (m & Qt::MetaModifier)
        flags |= MOD_WIN;
    return flags;
}

} // namespace

struct GlobalKeys::Native : QAbstractNativeEventFilter {
    std::function<void(Shortcut)>* pressed = nullptr;
    std::array<bool, kShortcuts.size()> registered{};

    bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override {
        if (type != "windows_dispatcher_MSG" && type != "windows_generic_MSG")
            return false;
        const MSG* msg = static_cast<const MSG*>(message);
        if (msg->message != WM_HOTKEY)
            return false;
        const WPARAM index = msg->wParam - kFirstId;
        if (index >= kShortcuts.size() || !registered[index])
            return false;
        (*pressed)(kShortcuts[index]);
        return true;
    }
};

GlobalKeys::GlobalKeys(std::function<void(Shortcut)> pressed)
    : native_(std::make_unique<Native>()), pressed_(std::move(pressed)) {
    native_->pressed = &pressed_;
    QCoreApplication::instance()->installNativeEventFilter(native_.get());
}

GlobalKeys::~GlobalKeys() {
    for (std::size_t i = 0; i < kShortcuts.size(); ++i)
        if (native_->registered[i])
            UnregisterHotKey(nullptr, kFirstId + static_cast<int>(i));
    if (QCoreApplication::instance())
        QCoreApplication::instance()->removeNativeEventFilter(native_.get());
}

bool GlobalKeys::canTake() const {
    return true;
}

KeyTake GlobalKeys::take(Shortcut action, const std::string& keyText) {
    const auto i = static_cast<std::size_t>(action);
    const int id = kFirstId + static_cast<int>(i);
    if (native_->registered[i]) {
        UnregisterHotKey(nullptr, id);
        native_->registered[i] = false;
    }
    if (keyText.empty())
        return KeyTake::None;
    const QKeySequence sequence =
        QKeySequence::fromString(QString::fromStdString(keyText), QKeySequence::PortableText);
    if (sequence.count() != 1)
        return KeyTake::Unusable;
    const UINT vk = virtualKeyOf(sequence[0].key());
    if (vk == 0)
        return KeyTake::Unusable;
    UINT flags = modifierFlags(sequence[0].keyboardModifiers());
    // Held down, the brightness keys go on stepping; the others act once.
    if (action != Shortcut::Brighter && action != Shortcut::Darker)
        flags |= MOD_NOREPEAT;
    if (!RegisterHotKey(nullptr, id, flags, vk))
        return GetLastError() == ERROR_HOTKEY_ALREADY_REGISTERED ? KeyTake::Held
                                                                 : KeyTake::Unusable;
    native_->registered[i] = true;
    return KeyTake::Taken;
}

} // namespace ocuvell
