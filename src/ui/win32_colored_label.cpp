#include "ui/win32_colored_label.h"

namespace kestrine {

ColoredLabel::ColoredLabel()
    : backgroundColor_(GetSysColor(COLOR_BTNFACE)),
      textColor_(GetSysColor(COLOR_WINDOWTEXT)),
      backgroundBrush_(CreateSolidBrush(backgroundColor_)) {}

void ColoredLabel::setTextColor(COLORREF color) {
    textColor_ = color;
    RedrawWindow(hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

void ColoredLabel::resetTextColor() { setTextColor(GetSysColor(COLOR_WINDOWTEXT)); }

HBRUSH ColoredLabel::onReflectedColor(HDC dc) {
    SetBkColor(dc, backgroundColor_);
    SetTextColor(dc, textColor_);
    return backgroundBrush_.get();
}

}  // namespace kestrine
