#pragma once
// The program's resources (dialog templates, icons, strings), read from kestrine.exe beside
// the test program: the tests run the real windows without linking the resource script.
#include <windows.h>

#include <array>
#include <string>

namespace kestrine {

inline HINSTANCE programResources() {
    static const HMODULE module = [] {
        std::array<char, MAX_PATH> path{};
        const std::string self(path.data(), GetModuleFileNameA(nullptr, path.data(), MAX_PATH));
        const std::string program = self.substr(0, self.find_last_of("\\/") + 1) + "kestrine.exe";
        return LoadLibraryExA(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    }();
    return module;
}

}  // namespace kestrine
