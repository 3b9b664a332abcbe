// The window at the system's dots per inch: both lists take the status images drawn for it,
// show one entry per row, and have room for each entry's whole text, a volume's label
// included. Wine takes the dots per inch from the prefix's LogPixels value when a program
// starts.
#include <gtest/gtest.h>

#include <utility>

#include "resource.h"
#include "win32_polling.h"
#include "win32_program_run.h"
#include "win32_remote_list.h"
#include "win32_scripted_drives.h"
#include "win32_settings_file.h"
#include "win32_test_handles.h"

namespace kestrine::e2e {
namespace {

// The system's dots per inch for the programs started while this lives; the value before
// comes back afterwards.
class SystemDpi {
public:
    explicit SystemDpi(DWORD dpi) {
        HKEY key = nullptr;
        if (RegCreateKeyExA(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0, nullptr, 0, KEY_QUERY_VALUE | KEY_SET_VALUE,
                            nullptr, &key, nullptr) != ERROR_SUCCESS)
            return;
        key_.reset(key);
        DWORD size = sizeof before_;
        hadValue_ = RegQueryValueExA(key, valueName, nullptr, nullptr, reinterpret_cast<BYTE*>(&before_), &size) ==
                    ERROR_SUCCESS;
        set_ = set(dpi);
    }
    ~SystemDpi() {
        if (!key_) return;
        if (hadValue_)
            set(before_);
        else
            RegDeleteValueA(key_.get(), valueName);
    }
    SystemDpi(const SystemDpi&) = delete;
    SystemDpi& operator=(const SystemDpi&) = delete;
    bool isSet() const { return set_; }

private:
    static constexpr const char* valueName = "LogPixels";
    bool set(DWORD dpi) {
        return RegSetValueExA(key_.get(), valueName, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi), sizeof dpi) ==
               ERROR_SUCCESS;
    }

    UniqueRegistryKey key_;
    DWORD before_ = 0;
    bool hadValue_ = false;
    bool set_ = false;
};

// Every entry of `list` on its own row below the one before, with its picture `imageSize`
// pixels wide and its whole text within its label.
void expectOnePerRowAndWhole(HWND list, LONG imageSize, const char* name) {
    const int count = listItemCount(list);
    ASSERT_GE(count, 1) << name;
    ItemLayout previous;
    for (int index = 0; index < count; ++index) {
        ItemLayout layout;
        ASSERT_TRUE(readItemLayout(list, index, layout)) << name << " " << index;
        EXPECT_EQ(layout.icon.right - layout.icon.left, imageSize) << name << " " << index;
        // A margin of two pixels on each side, as the list draws its labels.
        EXPECT_LE(layout.textWidth + 4, layout.label.right - layout.label.left) << name << " " << index;
        if (index > 0) {
            EXPECT_EQ(layout.icon.left, previous.icon.left) << name << " " << index;
            EXPECT_GE(layout.icon.top, previous.icon.bottom) << name << " " << index;
        }
        previous = layout;
    }
}

TEST(DisplayScale, ListsShowImagesForTheDpiOneEntryPerRowAndWholeTexts) {
    ASSERT_TRUE(writeSettings(defaultSettings()));
    // Wine lists C: (labelled KESTRINE), and Z: in a usual prefix; a SATA and an NVMe drive.
    ScenarioFile scenario(
        "0 healthy vendor=ACME product=\"X100 SSD\" bus=11\n"
        "1 version-fails vendor=WDC product=SN770 bus=17\n1 nvme-log spare=100\n");
    for (const auto& [dpi, imageSize] : {std::pair<DWORD, LONG>{96, 16}, std::pair<DWORD, LONG>{144, 24}}) {
        SCOPED_TRACE(std::to_string(dpi) + " dpi");
        const SystemDpi scale(dpi);
        ASSERT_TRUE(scale.isSet());
        ProgramRun run(Program::Scripted);
        ASSERT_TRUE(run.waitForFirstRefresh());
        HWND volumes = run.control(IDC_VOLUME_LIST);
        HWND drives = run.control(IDC_DRIVE_LIST);
        ASSERT_TRUE(waitUntil([&] { return listItemCount(volumes) >= 1 && listItemCount(drives) == 2; }));
        const std::vector<ListItem> items = readListItems(volumes);
        ASSERT_FALSE(items.empty());
        EXPECT_TRUE(items[0].text.starts_with("C: ") && items[0].text.ends_with(" Free (KESTRINE)")) << items[0].text;
        expectOnePerRowAndWhole(volumes, imageSize, "volume list");
        expectOnePerRowAndWhole(drives, imageSize, "drive list");
    }
}

}  // namespace
}  // namespace kestrine::e2e
