// kestrine_bare_console.exe: a console program that prints one line and ends, built like
// kestrine-report.exe, as the yardstick for the report's start-up under Wine.
#include <cstdio>

int main() {
    std::puts("kestrine");
    return 0;
}
