#pragma once
// ListControl over a list-view control (the drive list and the volume list), through
// LVM_* messages. The window owns the control; this adapter only talks to it.
#include <windows.h>
#include <commctrl.h>

#include "ui/list_control.h"

namespace kestrine {

class Win32ListView : public ListControl {
public:
    explicit Win32ListView(HWND listView = nullptr) : listView_(listView) {}
    void attach(HWND listView) { listView_ = listView; }
    HWND handle() const { return listView_; }

    int itemCount() const override;
    int findByData(std::intptr_t data) const override;
    int insert(int position, const std::string& text, int image, std::intptr_t data) override;
    void remove(int index) override;
    int image(int index) const override;
    void setImage(int index, int image) override;
    std::string text(int index) const override;
    void setText(int index, const std::string& text) override;
    // -1 when the item does not exist.
    std::intptr_t data(int index) const override;
    int selectionMark() const override;
    void setSelectionMark(int index) override;
    void selectAndFocus(int index) override;

private:
    LRESULT send(UINT message, WPARAM wParam, LPARAM lParam) const;
    bool getItem(LVITEMA& item) const;
    bool setItem(LVITEMA& item);

    HWND listView_;
};

}  // namespace kestrine
