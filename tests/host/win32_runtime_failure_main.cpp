// kestrine_runtime_failure.exe: the report's trimmed C++ runtime on its own. Each library
// failure the report's code can raise must arrive as a std::exception with a text, as the
// report's catch expects, and never end the program. Prints one line per failure caught.
#include <cstdio>
#include <exception>
#include <memory>
#include <string>

namespace {

template <typename Failing>
void expectCaught(const char* name, Failing failing) {
    try {
        failing();
        std::printf("%s: nothing thrown\n", name);
    } catch (const std::exception& error) {
        const std::string text = error.what();
        std::printf("%s: %s\n", name,
                    text.empty()                          ? "caught without a text"
                    : text.find('%') != std::string::npos ? "caught with an unfilled format"
                                                          : "caught");
    }
}

}  // namespace

int main(int argc, char**) {
    const std::string text(static_cast<std::size_t>(argc), 'x');  // not known to the compiler
    expectCaught("out of range", [&] { return text.substr(text.size() + 1); });
    expectCaught("length", [&] { std::string(text).reserve(std::string().max_size() + 1); });
    const char* const missing = text.size() > 1000 ? text.c_str() : nullptr;
    expectCaught("logic", [&] { return std::string(missing); });
    std::allocator<int> ints;
    expectCaught("allocation", [&] {
        return ints.allocate(std::allocator_traits<std::allocator<int>>::max_size(ints) + text.size());
    });
    expectCaught("array length",
                 [&] { return ints.allocate(static_cast<std::size_t>(-1) / sizeof(int) + text.size()); });
    return 0;
}
