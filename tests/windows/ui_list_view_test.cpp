// The list-view adapter against a real list view in a hidden window.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "platform/win32_volume_source.h"
#include "ui/volume_list.h"
#include "ui/win32_list_view.h"

namespace kestrine {
namespace {

// The one owner of the test's hidden window; the list view dies with it.
class HiddenWindow {
public:
    HiddenWindow()
        : window_(CreateWindowExA(0, "STATIC", "", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr)) {}
    ~HiddenWindow() {
        if (window_ != nullptr) DestroyWindow(window_);
    }
    HiddenWindow(const HiddenWindow&) = delete;
    HiddenWindow& operator=(const HiddenWindow&) = delete;
    HWND get() const { return window_; }

private:
    HWND window_;
};

class ListViewAdapter : public ::testing::Test {
protected:
    void SetUp() override {
        INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES};
        ASSERT_TRUE(InitCommonControlsEx(&controls));
        ASSERT_NE(window.get(), nullptr);
        list.attach(CreateWindowExA(
            0, WC_LISTVIEWA, "",
            WS_CHILD | WS_BORDER | LVS_SMALLICON | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_NOCOLUMNHEADER, 0, 0, 200,
            150, window.get(), nullptr, GetModuleHandleA(nullptr), nullptr));
        ASSERT_NE(list.handle(), nullptr);
    }
    void fill() {
        ASSERT_EQ(list.insert(0, "C: 50.0% Free ", 1, 2), 0);
        ASSERT_EQ(list.insert(1, "E:  7.0% Free (Data)", 2, 4), 1);
        ASSERT_EQ(list.insert(2, "F: 90.0% Free ", 1, 5), 2);
    }

    HiddenWindow window;
    Win32ListView list;
};

TEST_F(ListViewAdapter, InsertedItemsReadBackWithTextImageAndData) {
    fill();
    EXPECT_EQ(list.itemCount(), 3);
    EXPECT_EQ(list.text(1), "E:  7.0% Free (Data)");
    EXPECT_EQ(list.image(1), 2);
    EXPECT_EQ(list.data(1), 4);
}

TEST_F(ListViewAdapter, FindsItemsByTheirData) {
    fill();
    EXPECT_EQ(list.findByData(2), 0);
    EXPECT_EQ(list.findByData(5), 2);
    EXPECT_EQ(list.findByData(3), -1);
}

TEST_F(ListViewAdapter, RemovedItemIsGoneAndTheOthersMoveUp) {
    fill();
    list.remove(0);
    EXPECT_EQ(list.itemCount(), 2);
    EXPECT_EQ(list.findByData(2), -1);
    EXPECT_EQ(list.findByData(4), 0);
}

TEST_F(ListViewAdapter, TextAndImageCanBeRewritten) {
    fill();
    list.setText(2, "F: 80.0% Free (Backup)");
    list.setImage(2, 2);
    EXPECT_EQ(list.text(2), "F: 80.0% Free (Backup)");
    EXPECT_EQ(list.image(2), 2);
    EXPECT_EQ(list.data(2), 5);
}

TEST_F(ListViewAdapter, LongTextReadsBackWhole) {
    const std::string text = "C: 50.0% Free (" + std::string(600, 'x') + ")";
    ASSERT_EQ(list.insert(0, text, 1, 2), 0);
    EXPECT_EQ(list.text(0), text);
}

TEST_F(ListViewAdapter, SelectionMarkAndStatesAreSet) {
    fill();
    EXPECT_EQ(list.selectionMark(), -1);
    list.setSelectionMark(1);
    EXPECT_EQ(list.selectionMark(), 1);
    list.selectAndFocus(1);
    const auto states = SendMessageA(list.handle(), LVM_GETITEMSTATE, 1, LVIS_SELECTED | LVIS_FOCUSED);
    EXPECT_EQ(states, LVIS_SELECTED | LVIS_FOCUSED);
}

TEST_F(ListViewAdapter, MissingItemReadsAsNothing) {
    fill();
    EXPECT_EQ(list.image(7), -1);
    EXPECT_EQ(list.data(7), -1);
    EXPECT_EQ(list.text(7), "");
}

// The scan through both adapters: the system's C: and Z: end up listed by their slots, in
// letter order, with the first one selected.
TEST_F(ListViewAdapter, VolumeScanListsTheSystemDrives) {
    Win32VolumeSource source;
    SettingsRecord settings = defaultSettings();
    VolumeTable table;
    refillVolumeList(scanVolumes(source, settings, table), table, list);
    const int c = list.findByData(2), z = list.findByData(25);
    ASSERT_GE(c, 0);
    ASSERT_GT(z, c);
    EXPECT_EQ(list.text(c).substr(0, 3), "C: ");
    EXPECT_EQ(list.text(z).substr(0, 3), "Z: ");
    EXPECT_GT(table[2].totalBytes, 1);
    EXPECT_EQ(list.selectionMark(), 0);
}

}  // namespace
}  // namespace kestrine
