#pragma once
// A static text whose text colour the program sets: the drive panel's two state fields.
#include <windows.h>

#include "ui/win32_dialog.h"
#include "ui/win32_gdi.h"

namespace kestrine {

class ColoredLabel : public Control {
public:
    ColoredLabel();

    // Stores the colour and repaints the control at once.
    void setTextColor(COLORREF color);
    // Back to the system's window-text colour as it is now.
    void resetTextColor();
    COLORREF textColor() const { return textColor_; }

    HBRUSH onReflectedColor(HDC dc) override;

private:
    COLORREF backgroundColor_;
    COLORREF textColor_;
    UniqueBrush backgroundBrush_;
};

}  // namespace kestrine
