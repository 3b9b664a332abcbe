#pragma once
// The Help window (template 138): what the program's icons and list images mean.
#include "resource.h"
#include "ui/win32_dialog.h"

namespace kestrine {

class HelpWindow : public Dialog {
public:
    explicit HelpWindow(HINSTANCE resources) : Dialog(resources, IDD_HELP) {}
};

}  // namespace kestrine
