#pragma once
// A drive's health window (template 153): the texts and the history plot the portable model
// lays out, moved into the controls and drawn with GDI at the system's DPI. Its "&Accept Current
// Health" button asks the main window to accept (ID_DRIVE_ACCEPT_HEALTH), then shows the view
// the main window's latest refresh gives.
#include <windows.h>

#include <functional>

#include "ui/health_details.h"
#include "ui/win32_dialog.h"

namespace kestrine {

class HealthWindow : public Dialog {
public:
    // `load` gives the view to show, at the start and after each acceptance.
    HealthWindow(HINSTANCE resources, std::function<HealthView()> load);

private:
    static const MessageEntry<HealthWindow> messageTable[];

    void bindControls() override;
    bool onInitDialog() override;
    Reply dispatch(UINT msg, WPARAM wParam, LPARAM lParam) override;

    void show();
    void fillTable() const;
    void acceptCurrentHealth();
    Reply OnDrawItem(WPARAM wParam, LPARAM lParam);

    std::function<HealthView()> load_;
    HealthView view_;
    Control status_;
    Control temperature_;
    Control history_;
    Control plot_;
    HWND table_ = nullptr;
};

}  // namespace kestrine
