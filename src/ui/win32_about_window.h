#pragma once
// The About box (template 100): the program's name and version, nothing to handle.
#include "resource.h"
#include "ui/win32_dialog.h"

namespace kestrine {

class AboutWindow : public Dialog {
public:
    explicit AboutWindow(HINSTANCE resources) : Dialog(resources, IDD_ABOUT) {}
};

}  // namespace kestrine
