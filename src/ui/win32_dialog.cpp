#include "ui/win32_dialog.h"

namespace kestrine {

namespace {

// Messages whose result a dialog procedure returns itself instead of through DWLP_MSGRESULT.
bool returnsResultDirectly(UINT msg) {
    switch (msg) {
        case WM_CTLCOLORMSGBOX:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORDLG:
        case WM_CTLCOLORSCROLLBAR:
        case WM_CTLCOLORSTATIC:
        case WM_COMPAREITEM:
        case WM_VKEYTOITEM:
        case WM_CHARTOITEM:
        case WM_QUERYDRAGICON:
        case WM_INITDIALOG: return true;
        default: return false;
    }
}

// Over the owner when it is in sight, else in the middle of the screen's work area.
void centre(HWND dialog) {
    HWND owner = GetWindow(dialog, GW_OWNER);
    RECT area;
    if (owner != nullptr && IsWindowVisible(owner) && !IsIconic(owner)) {
        GetWindowRect(owner, &area);
    } else {
        MONITORINFO monitor{};
        monitor.cbSize = sizeof(monitor);
        GetMonitorInfoA(MonitorFromWindow(dialog, MONITOR_DEFAULTTOPRIMARY), &monitor);
        area = monitor.rcWork;
    }
    RECT window;
    GetWindowRect(dialog, &window);
    const int width = window.right - window.left;
    const int height = window.bottom - window.top;
    const int x = area.left + (area.right - area.left - width) / 2;
    const int y = area.top + (area.bottom - area.top - height) / 2;
    SetWindowPos(dialog, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

void Control::setText(const std::string& text) const { SetWindowTextA(hwnd_, text.c_str()); }

void Button::setIcon(HICON icon) const {
    SendMessageA(hwnd(), BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icon));
}

bool Button::checked() const { return SendMessageA(hwnd(), BM_GETCHECK, 0, 0) == BST_CHECKED; }

void Button::setChecked(bool checked) const {
    SendMessageA(hwnd(), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

INT_PTR Dialog::runModal(HWND owner) {
    return DialogBoxParamA(resources_, MAKEINTRESOURCEA(templateId_), owner, &Dialog::dialogProc,
                           reinterpret_cast<LPARAM>(this));
}

void Dialog::hideUntilShown() {
    keptHidden_ = true;
    ShowWindow(hwnd_, SW_HIDE);
}

void Dialog::showWindow(int command) {
    keptHidden_ = false;
    ShowWindow(hwnd_, command);
}

void Dialog::bind(Control& control, int id) {
    control.attach(GetDlgItem(hwnd_, id));
    controls_.push_back(&control);
}

Control* Dialog::boundControl(HWND control) const {
    for (Control* bound : controls_) {
        if (bound->hwnd() == control) return bound;
    }
    return nullptr;
}

INT_PTR CALLBACK Dialog::dialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_INITDIALOG) {
        auto* dialog = reinterpret_cast<Dialog*>(lParam);
        SetWindowLongPtrA(hwnd, DWLP_USER, lParam);
        dialog->hwnd_ = hwnd;
        return dialog->handle(msg, wParam, lParam);
    }
    // Messages before WM_INITDIALOG (WM_SETFONT and the like) find no object yet.
    auto* dialog = reinterpret_cast<Dialog*>(GetWindowLongPtrA(hwnd, DWLP_USER));
    if (dialog == nullptr) return FALSE;
    const INT_PTR result = dialog->handle(msg, wParam, lParam);
    if (msg == WM_NCDESTROY) {
        SetWindowLongPtrA(hwnd, DWLP_USER, 0);
        dialog->hwnd_ = nullptr;
        dialog->controls_.clear();
    }
    return result;
}

INT_PTR Dialog::handle(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_INITDIALOG) {
        centre(hwnd_);
        bindControls();
        return onInitDialog() ? TRUE : FALSE;
    }
    if (msg == WM_CTLCOLORSTATIC) {
        if (Control* control = boundControl(reinterpret_cast<HWND>(lParam))) {
            if (HBRUSH brush = control->onReflectedColor(reinterpret_cast<HDC>(wParam))) {
                return reinterpret_cast<INT_PTR>(brush);
            }
        }
    }
    if (msg == WM_WINDOWPOSCHANGING && keptHidden_) {
        reinterpret_cast<WINDOWPOS*>(lParam)->flags &= ~static_cast<UINT>(SWP_SHOWWINDOW);
    }
    if (const Reply reply = dispatch(msg, wParam, lParam)) {
        if (returnsResultDirectly(msg)) return static_cast<INT_PTR>(*reply);
        SetWindowLongPtrA(hwnd_, DWLP_MSGRESULT, *reply);
        return TRUE;
    }
    if (msg == WM_COMMAND && HIWORD(wParam) == BN_CLICKED && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        endDialog(LOWORD(wParam));
        return TRUE;
    }
    return FALSE;
}

}  // namespace kestrine
