#pragma once
// Reading a list view of another process: the LVITEMA record and its text buffer are
// placed in that process, filled by LVM_GETITEMA there and copied back.
#include <windows.h>

#include <string>
#include <vector>

namespace kestrine::e2e {

struct ListItem {
    std::string text;
    int image = -1;
    LPARAM data = 0;
    bool selected = false;
    bool focused = false;
};

// All items in order; empty when the list cannot be read.
std::vector<ListItem> readListItems(HWND list);
int listItemCount(HWND list);
int listSelectionMark(HWND list);
// Gives item `index` another item data (LVM_SETITEMA with LVIF_PARAM); false on failure.
bool setListItemData(HWND list, int index, LPARAM data);

}  // namespace kestrine::e2e
