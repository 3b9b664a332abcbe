#include "ui/win32_main_window.h"

#include <commctrl.h>

#include <array>
#include <iterator>
#include <utility>

#include "history/history_store.h"
#include "probe/health_probe.h"
#include "refresh/history_place.h"
#include "resource.h"
#include "tray/start_option.h"
#include "tray/status_events.h"
#include "ui/drive_panel.h"
#include "ui/status_images.h"
#include "ui/win32_about_window.h"
#include "ui/win32_health_window.h"
#include "ui/win32_help_window.h"

namespace kestrine {

namespace {

// Registered once, before the window exists: the tray icon's callbacks, and the shell's
// announcement that a new taskbar needs the icon again.
const UINT trayCallbackMessage = RegisterWindowMessageA("MySysTray");
const UINT taskbarCreatedMessage = RegisterWindowMessageA("TaskbarCreated");

constexpr char handOverName[] = "Kestrine";
constexpr UINT_PTR tickTimer = 1;
constexpr UINT tickMilliseconds = 200;
// Not a timer that runs: a WM_TIMER with this id is posted once, so the start option is
// looked at after the window has been shown by the dialog loop, which is the moment hiding it
// works. Posting it keeps the order the window has always had with the first tick.
constexpr WPARAM startOptionTimer = 2;

std::uintptr_t handleValue(HICON icon) { return reinterpret_cast<std::uintptr_t>(icon); }

}  // namespace

const MessageEntry<MainWindow> MainWindow::messageTable[] = {
    messageEntry(WM_SYSCOMMAND, &MainWindow::OnSysCommand),
    messageEntry(WM_PAINT, &MainWindow::OnPaint),
    messageEntry(WM_QUERYDRAGICON, &MainWindow::OnQueryDragIcon),
    commandEntry(ID_REFRESH_DATA, &MainWindow::refresh),
    notifyEntry(IDC_DRIVE_LIST, NM_CLICK, &MainWindow::OnDriveListClick),
    notifyEntry(IDC_VOLUME_LIST, NM_CLICK, &MainWindow::OnVolumeListClick),
    notifyEntry(IDC_DRIVE_LIST, LVN_ITEMACTIVATE, &MainWindow::OnDriveListActivate),
    commandEntry(ID_DRIVE_HEALTH_DETAILS, &MainWindow::showHealthDetails),
    commandEntry(IDC_ENTER_SINK, &MainWindow::openFocusedDrive),
    notifyEntry(IDC_DRIVE_LIST, NM_RCLICK, &MainWindow::OnDriveListRightClick),
    messageEntry(WM_CONTEXTMENU, &MainWindow::OnContextMenu),
    commandEntry(ID_DRIVE_ACCEPT_HEALTH, &MainWindow::acceptHealth),
    messageEntry(WM_TIMER, &MainWindow::OnTimer),
    commandEntry(ID_HELP_ABOUT, &MainWindow::showAbout),
    commandEntry(ID_FILE_EXIT, &MainWindow::exit),
    commandEntry(ID_WINDOW_HIDE, &MainWindow::hideWindow),
    commandEntry(ID_HELP_NOTES, &MainWindow::showNotes),
    messageEntry(WM_DESTROY, &MainWindow::OnDestroy),
    messageEntry(WM_ENDSESSION, &MainWindow::OnEndSession),
    commandEntry(ID_AUTO_REFRESH, &MainWindow::toggleAutoRefresh),
    commandEntry(IDC_USE_OWN_PERCENT, &MainWindow::toggleVolumeUsesOwnPercent),
    commandEntry(IDC_DEFAULT_DOWN, &MainWindow::lowerDefaultWarningPercent),
    commandEntry(IDC_DEFAULT_UP, &MainWindow::raiseDefaultWarningPercent),
    commandEntry(IDC_VOLUME_DOWN, &MainWindow::lowerVolumeWarningPercent),
    commandEntry(IDC_VOLUME_UP, &MainWindow::raiseVolumeWarningPercent),
    registeredMessageEntry(trayCallbackMessage, &MainWindow::OnTrayNotify),
    registeredMessageEntry(taskbarCreatedMessage, &MainWindow::OnTaskbarCreated),
};

MainWindow::MainWindow(HINSTANCE resources, ApplicationInfo application, const MainWindowPorts& ports)
    : Dialog(resources, IDD_MAIN),
      application_(std::move(application)),
      systemMessages_(ports.systemMessages),
      eventLog_(ports.eventLog),
      files_(ports.files),
      pause_(ports.pause),
      historyLock_(ports.historyLock),
      settingsFolder_(ports.settingsFolder),
      elevated_(ports.elevated),
      settings_(ports.files, *this, ports.pause, ports.settingsFolder, ports.elevated),
      refresh_(ports.devices, ports.volumes, judgeWithHistory),
      programIcon_(loadIcon(resources, IDI_PROGRAM, largeIconSize())),
      programSmallIcon_(loadIcon(resources, IDI_PROGRAM, smallIconSize())),
      trayIcon_(ports.notifyShell),
      presenter_({driveList_, volumeList_, *this, trayIcon_, eventLog_, cycle_, systemMessages_, *this,
                  settings_.working(), refresh_.result()}) {}

MainWindow::~MainWindow() = default;

Reply MainWindow::dispatch(UINT msg, WPARAM wParam, LPARAM lParam) {
    return dispatchMessage(*this, std::span<const MessageEntry<MainWindow>>(messageTable), msg, wParam, lParam);
}

void MainWindow::show(const std::string& text) { MessageBoxA(hwnd(), text.c_str(), application_.name.c_str(), MB_OK); }

void MainWindow::bindControls() {
    bind(useOwnPercent_, IDC_USE_OWN_PERCENT);
    bind(defaultDown_, IDC_DEFAULT_DOWN);
    bind(defaultUp_, IDC_DEFAULT_UP);
    bind(volumeDown_, IDC_VOLUME_DOWN);
    bind(volumeUp_, IDC_VOLUME_UP);
    bind(driveLetter_, IDC_DRIVE_LETTER);
    bind(percentFree_, IDC_PERCENT_FREE);
    bind(freeSpace_, IDC_FREE_SPACE);
    bind(totalSize_, IDC_TOTAL_SIZE);
    bind(driveName_, IDC_DRIVE_NAME);
    bind(serial_, IDC_SERIAL);
    bind(bus_, IDC_BUS);
    bind(fixedRemovable_, IDC_FIXED_REMOVABLE);
    bind(spfStatus_, IDC_SPF_STATUS);
    bind(smartStatus_, IDC_SMART_STATUS);
    driveList_.attach(GetDlgItem(hwnd(), IDC_DRIVE_LIST));
    volumeList_.attach(GetDlgItem(hwnd(), IDC_VOLUME_LIST));
}

bool MainWindow::onInitDialog() {
    if (!startHandOver()) return true;
    rebuildSystemMenu();
    setUpIcons();
    setUpTrayIcon();
    setUpLists();
    startSettings();
    tick_.start(hwnd(), tickTimer, tickMilliseconds);
    return true;
}

// A settings file that is there but cannot be read is no first start: the start option
// still hides the window, and the event says that this run keeps the file as it is.
void MainWindow::startSettings() {
    const bool firstStart = settings_.runStartUpSequence();
    if (const std::optional<std::uint32_t> error = settings_.readError())
        eventLog_.report(settingsNotRead(settings_.filePath(), *error, systemMessages_));
    reportRefusedFolder();
    showDefaultPercent(settings_.working().defaultWarningPercent);
    showVolumePercent(settings_.working().defaultWarningPercent);
    if (!firstStart) PostMessageA(hwnd(), WM_TIMER, startOptionTimer, 0);
}

// The first copy keeps the hand-over byte at 0; a later copy sets it to 1 and ends, and the
// first copy's next tick brings its window forward. The later copy, started by the user, may
// take the foreground; it passes that on, since Windows refuses the foreground to a process
// in the background, such as the first copy's tick, and only flashes its taskbar button.
bool MainWindow::startHandOver() {
    if (!activation_.create(handOverName, 1) || activation_.view() == nullptr) {
        show("Memory initialization error");
        endUnseen();
        return false;
    }
    isDuplicate_ = !activation_.createdNew();
    if (isDuplicate_) AllowSetForegroundWindow(ASFW_ANY);  // before the request it allows
    *activation_.view() = isDuplicate_ ? 1 : 0;
    if (isDuplicate_) {
        endUnseen();
        return false;
    }
    return true;
}

// Ends the dialog before it was ever shown. Some dialog managers (Wine's) show a template
// marked visible right after its initialisation even when that ended the dialog: the window
// is kept hidden so that the show does not go through.
void MainWindow::endUnseen() {
    hideUntilShown();
    endDialog(IDCANCEL);
}

// Restore, Move, "Minimize To Tray", Minimize, separator, Close, separator, About.
void MainWindow::rebuildSystemMenu() {
    HMENU menu = GetSystemMenu(hwnd(), FALSE);
    if (menu == nullptr) return;
    std::array<char, 256> about{};
    if (LoadStringA(resources(), IDS_ABOUTBOX, about.data(), static_cast<int>(about.size())) <= 0) return;
    RemoveMenu(menu, 4, MF_BYPOSITION);  // Maximize
    RemoveMenu(menu, 2, MF_BYPOSITION);  // Size
    InsertMenuA(menu, 2, MF_BYPOSITION | MF_STRING, IDM_MINIMIZE_TO_TRAY, "Minimize To Tray");
    AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(menu, MF_STRING, IDM_ABOUTBOX, about.data());
}

// Small pictures come from the icons' 16x16 images at the system's small-icon size, so the
// title bar and the tray stay sharp.
void MainWindow::setUpIcons() {
    SendMessageA(hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(programIcon_.get()));
    SendMessageA(hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(programSmallIcon_.get()));
    okIcon_ = loadIcon(resources(), IDI_OK, smallIconSize());
    warningIcon_ = loadIcon(resources(), IDI_DRIVE_WARNING, smallIconSize());
    presenter_.icons = {handleValue(okIcon_.get()), handleValue(warningIcon_.get())};
    arrowDownIcon_ = loadIcon(resources(), IDI_ARROW_DOWN, smallIconSize());
    arrowUpIcon_ = loadIcon(resources(), IDI_ARROW_UP, smallIconSize());
    defaultDown_.setIcon(arrowDownIcon_.get());
    defaultUp_.setIcon(arrowUpIcon_.get());
    volumeDown_.setIcon(arrowDownIcon_.get());
    volumeUp_.setIcon(arrowUpIcon_.get());
}

void MainWindow::setUpTrayIcon() {
    trayIcon_.setCallbackMessage(trayCallbackMessage);
    trayIcon_.setIcon(handleValue(okIcon_.get()));
    trayIcon_.setTooltip(startTooltip);
    trayIcon_.owner = reinterpret_cast<std::uintptr_t>(hwnd());
    trayIcon_.add();
}

namespace {

int statusStripResource(int size) {
    switch (size) {
        case 32: return IDB_STATUS_32;
        case 24: return IDB_STATUS_24;
        default: return IDB_STATUS;
    }
}

// The lists' one column spans the list, less a vertical scroll bar that may come.
void fillWidthWithOneColumn(HWND list) {
    RECT client{};
    GetClientRect(list, &client);
    LVCOLUMNA column{};
    column.mask = LVCF_WIDTH;
    column.cx = client.right - client.left - GetSystemMetrics(SM_CXVSCROLL);
    SendMessageA(list, LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&column));
}

}  // namespace

void MainWindow::setUpLists() {
    // The strip drawn for the system's DPI. As a DIB section it keeps its colours; loaded as a
    // device bitmap some systems cut it down to 16 colours.
    const int size = statusImageSize(systemDpi());
    statusImages_.reset(ImageList_LoadImageA(resources(), MAKEINTRESOURCEA(statusStripResource(size)), size, 0,
                                             0xFFFFFF, IMAGE_BITMAP, LR_CREATEDIBSECTION));
    const auto images = reinterpret_cast<LPARAM>(statusImages_.get());
    for (const int list : {IDC_DRIVE_LIST, IDC_VOLUME_LIST}) {
        // The window owns the strip: a list view without this style would destroy it with
        // itself, and the window would release it a second time.
        HWND control = GetDlgItem(hwnd(), list);
        SetWindowLongPtrA(control, GWL_STYLE, GetWindowLongPtrA(control, GWL_STYLE) | LVS_SHAREIMAGELISTS);
        SendMessageA(control, LVM_SETIMAGELIST, LVSIL_SMALL, images);
        fillWidthWithOneColumn(control);
    }
}

Reply MainWindow::OnSysCommand(WPARAM wParam, LPARAM) {
    switch (wParam & 0xFFF0) {
        case IDM_ABOUTBOX: showAbout(); return 0;
        case IDM_MINIMIZE_TO_TRAY: hideWindow(); return 0;
        default: return std::nullopt;
    }
}

// A minimised window shows the program icon centred in its client area.
Reply MainWindow::OnPaint(WPARAM, LPARAM) {
    if (!IsIconic(hwnd())) return std::nullopt;
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(hwnd(), &paint);
    SendMessageA(hwnd(), WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    RECT client;
    GetClientRect(hwnd(), &client);
    const int x = (client.right - client.left - GetSystemMetrics(SM_CXICON) + 1) / 2;
    const int y = (client.bottom - client.top - GetSystemMetrics(SM_CYICON) + 1) / 2;
    DrawIcon(dc, x, y, programIcon_.get());
    EndPaint(hwnd(), &paint);
    return 0;
}

Reply MainWindow::OnQueryDragIcon(WPARAM, LPARAM) { return reinterpret_cast<LRESULT>(programIcon_.get()); }

// Every WM_TIMER goes on to the default processing.
Reply MainWindow::OnTimer(WPARAM wParam, LPARAM) {
    if (wParam == tickTimer) {
        tick();
    } else if (wParam == startOptionTimer && asksToStartHidden(application_.commandTail)) {
        hideWindow();
    }
    return std::nullopt;
}

// A copy that only handed over, or that could not open the hand-over block, set up nothing
// to stop, remove or save.
Reply MainWindow::OnDestroy(WPARAM, LPARAM) {
    if (isRunningCopy()) {
        tick_.stop();
        trayIcon_.remove();
        saveSettings();
    }
    return std::nullopt;
}

// At sign-out or shutdown Windows ends the process after this message without destroying the
// window, so changed thresholds are saved here. An installer that must replace the program's
// files asks it to close through the Restart Manager (ENDSESSION_CLOSEAPP): it ends as "E&xit"
// does, which also removes the tray icon.
Reply MainWindow::OnEndSession(WPARAM ending, LPARAM reason) {
    if (ending == FALSE || !isRunningCopy()) return 0;
    if ((reason & ENDSESSION_CLOSEAPP) != 0) {
        exit();
    } else {
        saveSettings();
    }
    return 0;
}

// False for a later copy that only handed over, and for one that ended before the hand-over.
bool MainWindow::isRunningCopy() const { return activation_.view() != nullptr && !isDuplicate_; }

// A left double-click on the tray icon, or a click on its notification, shows the window;
// nothing else does.
Reply MainWindow::OnTrayNotify(WPARAM, LPARAM lParam) {
    if (showsWindow(LOWORD(lParam))) {
        showWindow(SW_SHOWNORMAL);
        if (!IsIconic(hwnd())) activate();
    }
    return 0;
}

// A new taskbar (after the shell restarted) has no icons: put ours back as it was.
Reply MainWindow::OnTaskbarCreated(WPARAM, LPARAM) {
    trayIcon_.restore();
    return 0;
}

// The program ends right after a save: a failed one is written to the event log, since the
// changed percents are lost with it.
void MainWindow::saveSettings() {
    if (settings_.saveSettings()) return;
    if (settings_.refusedFolder().empty()) eventLog_.report(settingsNotSaved(settings_.filePath()));
    reportRefusedFolder();
}

void MainWindow::reportRefusedFolder() {
    if (!settings_.refusedFolder().empty()) eventLog_.report(settingsFolderRefused(settings_.refusedFolder()));
}

void MainWindow::exit() { endDialog(IDCANCEL); }

void MainWindow::hideWindow() { hideUntilShown(); }

void MainWindow::showAbout() { AboutWindow(resources()).runModal(hwnd()); }

void MainWindow::showNotes() { HelpWindow(resources()).runModal(hwnd()); }

// LVN_ITEMACTIVATE covers both the double-click and the list's own Enter; NM_DBLCLK and NM_RETURN
// come with it and would open the window a second time.
LRESULT MainWindow::OnDriveListActivate(const NMHDR&) {
    showHealthDetails();
    return 0;
}

// The dialog manager hands Enter to the hidden default button, not to the list: it opens the
// marked drive while the drive list has the focus, and does nothing elsewhere.
void MainWindow::openFocusedDrive() {
    if (GetFocus() == driveList_.handle()) showHealthDetails();
}

// The drive list's marked drive. The window reads the history file for each view, so that it
// shows what an acceptance wrote; the main window's tick and refreshes go on while it is open.
void MainWindow::showHealthDetails() {
    const DriveRecord* drive = markedDrive(refresh_.result().drives, driveList_);
    if (drive == nullptr) return;
    const int number = drive->driveNumber;
    HealthWindow(resources(), [this, number] {
        const RefreshResult& result = refresh_.result();
        const std::optional<HealthSample>& recalled = result.recalled[static_cast<std::size_t>(number)];
        return healthView(result, number, readHistoryFile(files_, historyFilePath(settingsFolder_)).value_or(History{}),
                          recalled ? &*recalled : nullptr);
    }).runModal(hwnd());
}

void MainWindow::bringToFront() {
    showWindow(SW_SHOWNORMAL);
    activate();
}

void MainWindow::activate() const {
    BringWindowToTop(hwnd());
    SetActiveWindow(hwnd());
    SetFocus(hwnd());
    SetForegroundWindow(hwnd());
}

}  // namespace kestrine
