#pragma once
// Keeps a list in step with a table, one key (the item data) at a time, for the drive list and
// the volume list alike: new keys are appended, vanished keys removed, and an item's image and
// text are rewritten only when they differ, so a refresh does not make the list flicker.
#include <cstdint>
#include <string>

#include "ui/list_control.h"

namespace kestrine {

class ListSync {
public:
    // Each insertion into a list that was empty when the sync began selects and focuses the
    // first item; the window updates its panels once the lists are filled.
    explicit ListSync(ListControl& list);

    // With `textIsCurrent` false a listed item keeps its text; a new item still takes `text`.
    void keep(std::intptr_t key, const std::string& text, int image, bool textIsCurrent = true);
    void drop(std::intptr_t key);

private:
    ListControl& list_;
    bool startedEmpty_;
};

}  // namespace kestrine
