#pragma once
// An in-memory list view: items with text, image and item data, a selection mark and
// selected/focused flags, and a count of the writes each test can check for flicker and of the
// selections.
#include <cstdint>
#include <string>
#include <vector>

#include "ui/list_control.h"

namespace kestrine::testing {

class FakeListControl : public ListControl {
public:
    struct Item {
        std::string text;
        int image = 0;
        std::intptr_t data = 0;
        bool selected = false;
        bool focused = false;
    };

    std::vector<Item> items;
    int mark = -1;
    int textWrites = 0;
    int imageWrites = 0;
    int selections = 0;  // calls of selectAndFocus
    bool failInserts = false;

    int itemCount() const override { return static_cast<int>(items.size()); }
    int findByData(std::intptr_t data) const override {
        for (std::size_t i = 0; i < items.size(); ++i)
            if (items[i].data == data) return static_cast<int>(i);
        return -1;
    }
    int insert(int position, const std::string& text, int image, std::intptr_t data) override {
        if (failInserts) return -1;
        if (position < 0 || position > itemCount()) position = itemCount();
        items.insert(items.begin() + position, Item{text, image, data});
        if (mark >= position) ++mark;
        return position;
    }
    void remove(int index) override {
        if (!valid(index)) return;
        items.erase(items.begin() + index);
        // A list view drops the mark of a deleted item and shifts the ones behind it.
        if (mark == index)
            mark = -1;
        else if (mark > index)
            --mark;
    }
    int image(int index) const override { return valid(index) ? items[index].image : -1; }
    void setImage(int index, int image) override {
        if (!valid(index)) return;
        items[index].image = image;
        ++imageWrites;
    }
    std::string text(int index) const override { return valid(index) ? items[index].text : std::string(); }
    void setText(int index, const std::string& text) override {
        if (!valid(index)) return;
        items[index].text = text;
        ++textWrites;
    }
    // Like the Win32 list view, -1 for an item that is not there (0 would be slot A:).
    std::intptr_t data(int index) const override { return valid(index) ? items[index].data : -1; }
    int selectionMark() const override { return mark; }
    void setSelectionMark(int index) override { mark = index; }
    void selectAndFocus(int index) override {
        if (!valid(index)) return;
        items[index].selected = true;
        items[index].focused = true;
        ++selections;
    }

private:
    bool valid(int index) const { return index >= 0 && index < itemCount(); }
};

}  // namespace kestrine::testing
