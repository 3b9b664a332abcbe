#pragma once
// Standard output in one encoding: the report's UTF-8 as it is where the output is redirected
// (a file, a pipe), and through the wide console call where it is a console, which shows every
// character whatever the console's code page.
#include <string>

namespace kestrine {

// False when not all of it could be written.
bool writeStandardOutput(const std::string& utf8);

}  // namespace kestrine
