#pragma once
// The list-view operations that the drive list and the volume list need. The Win32 adapter
// sends LVM_* messages to a list view; tests use an in-memory list.
#include <cstdint>
#include <string>

namespace kestrine {

class ListControl {
public:
    virtual ~ListControl() = default;
    virtual int itemCount() const = 0;
    // Index of the item whose item data equals `data` (LVFI_PARAM from -1), or -1.
    virtual int findByData(std::intptr_t data) const = 0;
    // Inserts text and image at `position`, then sets the item data; returns the new
    // item's index or -1 when the insertion failed.
    virtual int insert(int position, const std::string& text, int image, std::intptr_t data) = 0;
    virtual void remove(int index) = 0;
    virtual int image(int index) const = 0;
    virtual void setImage(int index, int image) = 0;
    virtual std::string text(int index) const = 0;
    virtual void setText(int index, const std::string& text) = 0;
    virtual std::intptr_t data(int index) const = 0;
    virtual int selectionMark() const = 0;
    virtual void setSelectionMark(int index) = 0;
    // Gives the item the selected and focused states.
    virtual void selectAndFocus(int index) = 0;
};

}  // namespace kestrine
