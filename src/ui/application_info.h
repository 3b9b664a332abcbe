#pragma once
// What the window needs to know about the program it runs in.
#include <string>

namespace kestrine {

struct ApplicationInfo {
    std::string name;         // the executable's base name: the caption of every message box
    std::string commandTail;  // the command line after the program's name
};

}  // namespace kestrine
