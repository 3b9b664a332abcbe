#include "ui/list_sync.h"

namespace kestrine {

ListSync::ListSync(ListControl& list) : list_(list), startedEmpty_(list.itemCount() == 0) {}

void ListSync::keep(std::intptr_t key, const std::string& text, int image, bool textIsCurrent) {
    const int index = list_.findByData(key);
    if (index >= 0) {
        // A key now standing for another device or state is rewritten where it differs.
        if (list_.image(index) != image) list_.setImage(index, image);
        if (textIsCurrent && list_.text(index) != text) list_.setText(index, text);
        return;
    }
    if (list_.insert(list_.itemCount(), text, image, key) < 0 || !startedEmpty_) return;
    list_.setSelectionMark(0);
    list_.selectAndFocus(0);
}

void ListSync::drop(std::intptr_t key) {
    const int index = list_.findByData(key);
    if (index >= 0) list_.remove(index);
}

}  // namespace kestrine
