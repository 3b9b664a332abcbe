#include "ui/win32_list_view.h"

#include <cstring>
#include <vector>

namespace kestrine {

namespace {
constexpr std::size_t firstTextBuffer = 256;
constexpr std::size_t longestText = 65536;
}  // namespace

LRESULT Win32ListView::send(UINT message, WPARAM wParam, LPARAM lParam) const {
    return SendMessageA(listView_, message, wParam, lParam);
}

bool Win32ListView::getItem(LVITEMA& item) const {
    return send(LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item)) != FALSE;
}

bool Win32ListView::setItem(LVITEMA& item) { return send(LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item)) != FALSE; }

int Win32ListView::itemCount() const { return static_cast<int>(send(LVM_GETITEMCOUNT, 0, 0)); }

int Win32ListView::findByData(std::intptr_t data) const {
    LVFINDINFOA find{};
    find.flags = LVFI_PARAM;
    find.lParam = data;
    return static_cast<int>(send(LVM_FINDITEMA, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&find)));
}

int Win32ListView::insert(int position, const std::string& text, int image, std::intptr_t data) {
    LVITEMA item{};
    item.mask = LVIF_TEXT | LVIF_IMAGE;
    item.iItem = position;
    item.pszText = const_cast<char*>(text.c_str());
    item.iImage = image;
    const int index = static_cast<int>(send(LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
    if (index < 0) return -1;
    LVITEMA withData{};
    withData.mask = LVIF_PARAM;
    withData.iItem = index;
    withData.lParam = data;
    if (!setItem(withData)) {
        // An item that cannot be found again by its data would be added anew at every pass.
        remove(index);
        return -1;
    }
    return index;
}

void Win32ListView::remove(int index) { send(LVM_DELETEITEM, static_cast<WPARAM>(index), 0); }

int Win32ListView::image(int index) const {
    LVITEMA item{};
    item.mask = LVIF_IMAGE;
    item.iItem = index;
    return getItem(item) ? item.iImage : -1;
}

void Win32ListView::setImage(int index, int image) {
    LVITEMA item{};
    item.mask = LVIF_IMAGE;
    item.iItem = index;
    item.iImage = image;
    setItem(item);
}

std::string Win32ListView::text(int index) const {
    // The control copies at most the buffer's size less one; a full buffer may mean more.
    for (std::size_t size = firstTextBuffer; size <= longestText; size *= 2) {
        std::vector<char> buffer(size, '\0');
        LVITEMA item{};
        item.mask = LVIF_TEXT;
        item.iItem = index;
        item.pszText = buffer.data();
        item.cchTextMax = static_cast<int>(size);
        if (!getItem(item)) return {};
        // The control may hand back its own storage instead of filling the buffer.
        if (item.pszText != buffer.data()) return item.pszText != nullptr ? std::string(item.pszText) : std::string();
        const std::size_t length = strnlen(buffer.data(), size);
        if (length + 1 < size) return std::string(buffer.data(), length);
    }
    return {};
}

void Win32ListView::setText(int index, const std::string& text) {
    LVITEMA item{};
    item.mask = LVIF_TEXT;
    item.iItem = index;
    item.pszText = const_cast<char*>(text.c_str());
    setItem(item);
}

std::intptr_t Win32ListView::data(int index) const {
    LVITEMA item{};
    item.mask = LVIF_PARAM;
    item.iItem = index;
    return getItem(item) ? static_cast<std::intptr_t>(item.lParam) : -1;
}

int Win32ListView::selectionMark() const { return static_cast<int>(send(LVM_GETSELECTIONMARK, 0, 0)); }

void Win32ListView::setSelectionMark(int index) { send(LVM_SETSELECTIONMARK, 0, index); }

void Win32ListView::selectAndFocus(int index) {
    LVITEMA item{};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    send(LVM_SETITEMSTATE, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
}

}  // namespace kestrine
