#include "ui/win32_health_window.h"

#include <commctrl.h>

#include <array>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "resource.h"
#include "ui/win32_gdi.h"

namespace kestrine {

namespace {

// The attribute table's columns in percent of the table's width: the name and the state take
// the most. Fewer columns (a field and its value) share it evenly.
constexpr std::array<int, 7> attributeColumnPercents = {6, 29, 9, 9, 10, 15, 22};

// The status lines as the read-only edit control breaks them.
std::string joinedLines(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += (text.empty() ? "" : "\r\n") + line;
    return text;
}

// An object selected into a device context for one scope, the previous one put back at its end
// (before the object's owner deletes it).
class Selection {
public:
    Selection(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
    ~Selection() { SelectObject(dc_, previous_); }
    Selection(const Selection&) = delete;
    Selection& operator=(const Selection&) = delete;

private:
    HDC dc_;
    HGDIOBJ previous_;
};

// The dialog's font at the plot's height.
UniqueFont plotFont(HWND dialog, int height) {
    LOGFONTA font{};
    const auto dialogFont = reinterpret_cast<HFONT>(SendMessageA(dialog, WM_GETFONT, 0, 0));
    if (dialogFont == nullptr || GetObjectA(dialogFont, sizeof font, &font) == 0)
        lstrcpyA(font.lfFaceName, "MS Sans Serif");
    font.lfHeight = -height;
    font.lfWidth = 0;
    return UniqueFont(CreateFontIndirectA(&font));
}

void drawLine(HDC dc, const PlotLine& line) {
    const UniquePen pen(CreatePen(PS_SOLID, line.width, line.color));
    const Selection selected(dc, pen.get());
    std::vector<POINT> points;
    for (const PlotPoint& point : line.points) points.push_back({point.x, point.y});
    Polyline(dc, points.data(), static_cast<int>(points.size()));
}

UINT alignment(TextAnchor anchor) {
    switch (anchor) {
        case TextAnchor::Centre: return TA_CENTER;
        case TextAnchor::Right: return TA_RIGHT;
        case TextAnchor::Left: break;
    }
    return TA_LEFT;
}

void drawPlot(HWND dialog, const DRAWITEMSTRUCT& item, const HistoryPlot& plot) {
    const RECT& r = item.rcItem;
    const PlotDrawing drawing = kestrine::drawPlot(plot, {r.left, r.top, r.right, r.bottom}, systemDpi());
    HDC dc = item.hDC;
    FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    for (const PlotLine& line : drawing.lines) drawLine(dc, line);
    const UniqueFont font = plotFont(dialog, drawing.fontHeight);
    const Selection selected(dc, font.get());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, plotAxisColor);
    for (const PlotText& text : drawing.texts) {
        SetTextAlign(dc, alignment(text.anchor) | TA_TOP | TA_NOUPDATECP);
        TextOutA(dc, text.at.x, text.at.y, text.text.c_str(), static_cast<int>(text.text.size()));
    }
}

}  // namespace

const MessageEntry<HealthWindow> HealthWindow::messageTable[] = {
    messageEntry(WM_DRAWITEM, &HealthWindow::OnDrawItem),
    commandEntry(IDC_HEALTH_ACCEPT, &HealthWindow::acceptCurrentHealth),
};

HealthWindow::HealthWindow(HINSTANCE resources, std::function<HealthView()> load)
    : Dialog(resources, IDD_HEALTH), load_(std::move(load)) {}

Reply HealthWindow::dispatch(UINT msg, WPARAM wParam, LPARAM lParam) {
    return dispatchMessage(*this, std::span<const MessageEntry<HealthWindow>>(messageTable), msg, wParam, lParam);
}

void HealthWindow::bindControls() {
    bind(status_, IDC_HEALTH_STATUS);
    bind(temperature_, IDC_HEALTH_TEMPERATURE);
    bind(history_, IDC_HEALTH_HISTORY);
    bind(plot_, IDC_HEALTH_PLOT);
    table_ = GetDlgItem(hwnd(), IDC_HEALTH_TABLE);
    SendMessageA(table_, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
}

// The focus starts on the table, the part a person reads first.
bool HealthWindow::onInitDialog() {
    show();
    SetFocus(table_);
    return false;
}

void HealthWindow::show() {
    view_ = load_();
    SetWindowTextA(hwnd(), view_.details.title.c_str());
    status_.setText(joinedLines(view_.details.statusLines));
    temperature_.setText(view_.details.temperature);
    history_.setText(view_.details.history);
    fillTable();
    InvalidateRect(plot_.hwnd(), nullptr, TRUE);
}

void HealthWindow::fillTable() const {
    SendMessageA(table_, LVM_DELETEALLITEMS, 0, 0);
    while (SendMessageA(table_, LVM_DELETECOLUMN, 0, 0) != FALSE) {
    }
    const std::vector<std::string>& columns = view_.details.columns;
    RECT client{};
    GetClientRect(table_, &client);
    const int width = client.right - client.left - GetSystemMetrics(SM_CXVSCROLL);
    for (std::size_t i = 0; i < columns.size(); ++i) {
        LVCOLUMNA column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.pszText = const_cast<char*>(columns[i].c_str());
        const bool attributes = columns.size() == attributeColumnPercents.size();
        column.cx = width * (attributes ? attributeColumnPercents[i] : 100 / static_cast<int>(columns.size())) / 100;
        SendMessageA(table_, LVM_INSERTCOLUMNA, i, reinterpret_cast<LPARAM>(&column));
    }
    for (std::size_t row = 0; row < view_.details.rows.size(); ++row) {
        const std::vector<std::string>& cells = view_.details.rows[row];
        LVITEMA item{};
        item.mask = LVIF_TEXT;
        item.iItem = static_cast<int>(row);
        item.pszText = const_cast<char*>(cells[0].c_str());
        const auto index = static_cast<int>(SendMessageA(table_, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
        for (std::size_t cell = 1; cell < cells.size(); ++cell) {
            LVITEMA sub{};
            sub.iSubItem = static_cast<int>(cell);
            sub.pszText = const_cast<char*>(cells[cell].c_str());
            SendMessageA(table_, LVM_SETITEMTEXTA, index, reinterpret_cast<LPARAM>(&sub));
        }
    }
}

// The main window accepts and refreshes before SendMessage returns; its latest result is then
// what this window shows.
void HealthWindow::acceptCurrentHealth() {
    SendMessageA(GetWindow(hwnd(), GW_OWNER), WM_COMMAND, MAKEWPARAM(ID_DRIVE_ACCEPT_HEALTH, 0), 0);
    show();
}

Reply HealthWindow::OnDrawItem(WPARAM wParam, LPARAM lParam) {
    if (wParam != IDC_HEALTH_PLOT) return std::nullopt;
    drawPlot(hwnd(), *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam), view_.plot);
    return TRUE;
}

}  // namespace kestrine
