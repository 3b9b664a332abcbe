#pragma once
// The window's controls as the presenter writes them: the last texts of each panel, the
// small icons in order, and how often the wait ended and the window came forward.
#include <cstdint>
#include <vector>

#include "ui/refresh_presenter.h"

namespace kestrine::testing {

class RecordingRefreshView : public RefreshView {
public:
    int listsInStepCount = 0;
    DrivePanelTexts drivePanel;
    VolumePanelView volumePanel;
    std::vector<std::uintptr_t> stateIcons;
    int comeForwardCount = 0;

    void listsInStep() override { ++listsInStepCount; }
    void showDrivePanel(const DrivePanelTexts& texts) override { drivePanel = texts; }
    void showVolumePanel(const VolumePanelView& view) override { volumePanel = view; }
    void showStateIcon(std::uintptr_t icon) override { stateIcons.push_back(icon); }
    void comeForward() override { ++comeForwardCount; }
};

}  // namespace kestrine::testing
