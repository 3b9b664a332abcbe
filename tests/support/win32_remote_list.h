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

// Where an item shows its picture and its text, in the list's client coordinates, and how
// wide its whole text is in the list's font, as the list measures it.
struct ItemLayout {
    RECT icon{};
    RECT label{};
    int textWidth = 0;
};
// False when the list cannot be read.
bool readItemLayout(HWND list, int index, ItemLayout& layout);
int listItemCount(HWND list);
int listSelectionMark(HWND list);
// Gives item `index` another item data (LVM_SETITEMA with LVIF_PARAM); false on failure.
bool setListItemData(HWND list, int index, LPARAM data);

}  // namespace kestrine::e2e
