#pragma once
// The small window framework every window of the program is built on: a modal dialog run
// from a template, control objects bound to the template's control ids, and a static table
// per window class that routes messages, control notifications and commands to members.
#include <windows.h>

#include <optional>
#include <span>
#include <string>
#include <vector>

namespace kestrine {

// A control of a dialog template, bound to its window when the dialog initialises.
class Control {
public:
    virtual ~Control() = default;
    HWND hwnd() const { return hwnd_; }
    void attach(HWND control) { hwnd_ = control; }
    void setText(const std::string& text) const;
    // The colour query (WM_CTLCOLORSTATIC) that the dialog reflects back to the control.
    // Null leaves the answer to the dialog.
    virtual HBRUSH onReflectedColor(HDC) { return nullptr; }

private:
    HWND hwnd_ = nullptr;
};

class Button : public Control {
public:
    void setIcon(HICON icon) const;  // BM_SETIMAGE, IMAGE_ICON; the caller keeps the icon
    bool checked() const;
    void setChecked(bool checked) const;
};

// A handler's answer: a result, or nothing to let the dialog's default processing run.
using Reply = std::optional<LRESULT>;

template <class T>
struct MessageEntry {
    enum class Kind { Message, Command, Notify };
    using MessageHandler = Reply (T::*)(WPARAM, LPARAM);
    using CommandHandler = void (T::*)();
    using NotifyHandler = LRESULT (T::*)(const NMHDR&);

    Kind kind = Kind::Message;
    UINT message = 0;
    // A message registered at run time: the table holds the variable that receives its number.
    const UINT* registeredMessage = nullptr;
    int id = 0;     // command id (WM_COMMAND) or control id (WM_NOTIFY)
    UINT code = 0;  // notification code (WM_NOTIFY)
    MessageHandler onMessage = nullptr;
    CommandHandler onCommand = nullptr;
    NotifyHandler onNotify = nullptr;

    bool matches(UINT msg, WPARAM wParam, LPARAM lParam) const {
        switch (kind) {
            case Kind::Message:
                if (registeredMessage != nullptr) return *registeredMessage != 0 && msg == *registeredMessage;
                return msg == message;
            case Kind::Command:  // a menu item or a button click (BN_CLICKED is 0, like a menu's)
                return msg == WM_COMMAND && HIWORD(wParam) == BN_CLICKED && LOWORD(wParam) == id;
            case Kind::Notify: {
                if (msg != WM_NOTIFY || lParam == 0) return false;
                const NMHDR& header = *reinterpret_cast<const NMHDR*>(lParam);
                return header.idFrom == static_cast<UINT_PTR>(id) && header.code == code;
            }
        }
        return false;
    }
};

template <class T>
constexpr MessageEntry<T> messageEntry(UINT message, Reply (T::*handler)(WPARAM, LPARAM)) {
    MessageEntry<T> entry;
    entry.message = message;
    entry.onMessage = handler;
    return entry;
}

template <class T>
constexpr MessageEntry<T> registeredMessageEntry(const UINT& message, Reply (T::*handler)(WPARAM, LPARAM)) {
    MessageEntry<T> entry;
    entry.registeredMessage = &message;
    entry.onMessage = handler;
    return entry;
}

template <class T>
constexpr MessageEntry<T> commandEntry(int id, void (T::*handler)()) {
    MessageEntry<T> entry;
    entry.kind = MessageEntry<T>::Kind::Command;
    entry.id = id;
    entry.onCommand = handler;
    return entry;
}

template <class T>
constexpr MessageEntry<T> notifyEntry(int id, UINT code, LRESULT (T::*handler)(const NMHDR&)) {
    MessageEntry<T> entry;
    entry.kind = MessageEntry<T>::Kind::Notify;
    entry.id = id;
    entry.code = code;
    entry.onNotify = handler;
    return entry;
}

// Runs the first entry of `table` that matches; nothing when none does.
template <class T>
Reply dispatchMessage(T& target, std::span<const MessageEntry<T>> table, UINT msg, WPARAM wParam, LPARAM lParam) {
    for (const MessageEntry<T>& entry : table) {
        if (!entry.matches(msg, wParam, lParam)) continue;
        switch (entry.kind) {
            case MessageEntry<T>::Kind::Message: return (target.*entry.onMessage)(wParam, lParam);
            case MessageEntry<T>::Kind::Command: (target.*entry.onCommand)(); return 0;
            case MessageEntry<T>::Kind::Notify:
                return (target.*entry.onNotify)(*reinterpret_cast<const NMHDR*>(lParam));
        }
    }
    return std::nullopt;
}

// A modal dialog over a template resource, centred over its owner (or on the screen when it
// has none) as it opens. IDOK and IDCANCEL end it with their id unless the
// table handles them, so Escape and the close box end it with 2.
class Dialog {
public:
    Dialog(HINSTANCE resources, int templateId) : resources_(resources), templateId_(templateId) {}
    virtual ~Dialog() = default;
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;

    // Creates, shows and runs the dialog until it ends; -1 when it could not be created.
    INT_PTR runModal(HWND owner);
    HWND hwnd() const { return hwnd_; }
    HINSTANCE resources() const { return resources_; }
    void endDialog(INT_PTR result) const { EndDialog(hwnd_, result); }
    // Hides the window until the program shows it again with showWindow(). The dialog manager
    // shows a modal dialog when its message queue first runs empty; that must not undo a
    // hide made before (a window that starts hidden in the tray).
    void hideUntilShown();
    void showWindow(int command);

protected:
    // Binds the control objects to their ids; called first at WM_INITDIALOG.
    virtual void bindControls() {}
    // The rest of the initialisation; true gives the focus to the first tab stop.
    virtual bool onInitDialog() { return true; }
    // The class's message table; the default is an empty one.
    virtual Reply dispatch(UINT, WPARAM, LPARAM) { return std::nullopt; }

    void bind(Control& control, int id);

private:
    static INT_PTR CALLBACK dialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    INT_PTR handle(UINT msg, WPARAM wParam, LPARAM lParam);
    Control* boundControl(HWND control) const;

    HINSTANCE resources_;
    int templateId_;
    HWND hwnd_ = nullptr;
    bool keptHidden_ = false;
    std::vector<Control*> controls_;
};

}  // namespace kestrine
