#include "win32_remote_list.h"

#include <commctrl.h>

#include <algorithm>

#include "platform/win32_handle.h"
#include "win32_polling.h"

namespace kestrine::e2e {
namespace {

constexpr int textCapacity = 260;

// Memory committed in another process for one exchange, released when done.
class RemoteBlock {
public:
    RemoteBlock(HANDLE process, SIZE_T size)
        : process_(process), address_(VirtualAllocEx(process, nullptr, size, MEM_COMMIT, PAGE_READWRITE)) {}
    ~RemoteBlock() {
        if (address_ != nullptr) VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
    }
    RemoteBlock(const RemoteBlock&) = delete;
    RemoteBlock& operator=(const RemoteBlock&) = delete;
    char* address() const { return static_cast<char*>(address_); }

private:
    HANDLE process_;
    void* address_;
};

LRESULT send(HWND list, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(list, message, wParam, lParam, SMTO_ABORTIFHUNG, patientMs, &result)) return -1;
    return static_cast<LRESULT>(result);
}

bool readItem(HWND list, HANDLE process, const RemoteBlock& block, int index, ListItem& item) {
    LVITEMA request = {};
    request.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM | LVIF_STATE;
    request.iItem = index;
    request.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    request.pszText = block.address() + sizeof(LVITEMA);
    request.cchTextMax = textCapacity;
    char text[textCapacity] = {};
    LVITEMA reply = {};
    if (!WriteProcessMemory(process, block.address(), &request, sizeof request, nullptr) ||
        !WriteProcessMemory(process, request.pszText, text, sizeof text, nullptr) ||
        send(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(block.address())) != TRUE ||
        !ReadProcessMemory(process, block.address(), &reply, sizeof reply, nullptr) ||
        !ReadProcessMemory(process, request.pszText, text, sizeof text, nullptr))
        return false;
    text[textCapacity - 1] = 0;
    item.text = text;
    item.image = reply.iImage;
    item.data = reply.lParam;
    item.selected = (reply.state & LVIS_SELECTED) != 0;
    item.focused = (reply.state & LVIS_FOCUSED) != 0;
    return true;
}

// LVM_GETITEMRECT for one part of an item (LVIR_ICON, LVIR_LABEL).
bool itemRect(HWND list, HANDLE process, const RemoteBlock& block, int index, LONG part, RECT& rect) {
    const RECT request = {part, 0, 0, 0};
    return WriteProcessMemory(process, block.address(), &request, sizeof request, nullptr) &&
           send(list, LVM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(block.address())) == TRUE &&
           ReadProcessMemory(process, block.address(), &rect, sizeof rect, nullptr);
}

UniqueHandle openListProcess(HWND list) {
    DWORD processId = 0;
    GetWindowThreadProcessId(list, &processId);
    return UniqueHandle(OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId));
}

}  // namespace

int listItemCount(HWND list) { return static_cast<int>(send(list, LVM_GETITEMCOUNT)); }

int listSelectionMark(HWND list) { return static_cast<int>(send(list, LVM_GETSELECTIONMARK)); }

bool setListItemData(HWND list, int index, LPARAM data) {
    UniqueHandle process = openListProcess(list);
    if (!process.valid()) return false;
    RemoteBlock block(process.get(), sizeof(LVITEMA));
    LVITEMA request = {};
    request.mask = LVIF_PARAM;
    request.iItem = index;
    request.lParam = data;
    return block.address() != nullptr &&
           WriteProcessMemory(process.get(), block.address(), &request, sizeof request, nullptr) &&
           send(list, LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(block.address())) == TRUE;
}

bool readItemLayout(HWND list, int index, ItemLayout& layout) {
    UniqueHandle process = openListProcess(list);
    if (!process.valid()) return false;
    RemoteBlock block(process.get(), sizeof(LVITEMA) + textCapacity);
    ListItem item;
    if (block.address() == nullptr || !readItem(list, process.get(), block, index, item) ||
        !itemRect(list, process.get(), block, index, LVIR_ICON, layout.icon) ||
        !itemRect(list, process.get(), block, index, LVIR_LABEL, layout.label) ||
        !WriteProcessMemory(process.get(), block.address(), item.text.c_str(), item.text.size() + 1, nullptr))
        return false;
    layout.textWidth = static_cast<int>(send(list, LVM_GETSTRINGWIDTHA, 0, reinterpret_cast<LPARAM>(block.address())));
    return layout.textWidth > 0;
}

std::vector<ListItem> readListItems(HWND list) {
    UniqueHandle process = openListProcess(list);
    if (!process.valid()) return {};
    RemoteBlock block(process.get(), sizeof(LVITEMA) + textCapacity);
    if (block.address() == nullptr) return {};
    std::vector<ListItem> items(static_cast<std::size_t>(std::max(0, listItemCount(list))));
    for (std::size_t index = 0; index < items.size(); ++index)
        if (!readItem(list, process.get(), block, static_cast<int>(index), items[index])) return {};
    return items;
}

}  // namespace kestrine::e2e
