#pragma once
// How report values become bytes in the machine-read formats. Device strings are arbitrary
// bytes in the system's ANSI code page; JSON and the Prometheus exposition format both need
// valid UTF-8, so bytes above 127 go through a converter the platform provides.
#include <string>
#include <string_view>

namespace kestrine {

// ANSI code page text to UTF-8 (MultiByteToWideChar and WideCharToMultiByte on Windows).
class AnsiConverter {
public:
    virtual ~AnsiConverter() = default;
    // False when the bytes are not valid text in the code page; `utf8` is then unspecified.
    // On success `utf8` is valid UTF-8.
    virtual bool toUtf8(std::string_view ansi, std::string& utf8) const = 0;
};

// Text that is UTF-8 already (the report reads volume labels with the wide calls and hands
// them on in UTF-8): taken as it is where it is valid UTF-8, refused otherwise, so that the
// writers fall back on naming each byte above 127.
class Utf8Text : public AnsiConverter {
public:
    bool toUtf8(std::string_view text, std::string& utf8) const override;
};

// The control characters (below 0x20, and delete) that no format shows as they are: the text
// report, the plugin line and the metrics' labels show '?' for each, JSON escapes each.
bool isControlCharacter(char c);
// `text` with '?' for each control character.
std::string controlsShown(std::string text);

// Code page text as UTF-8: ASCII as it is, else through the converter; where the converter
// refuses it, every byte above 127 stands for the character U+00XX. Always valid UTF-8.
std::string utf8Text(std::string_view ansi, const AnsiConverter& converter);

// A JSON string literal, quotes included. Quotes, backslashes and control characters are
// escaped; when the converter refuses the text, every byte above 127 becomes \u00XX.
std::string jsonString(std::string_view ansi, const AnsiConverter& converter);

// A Prometheus label value without its quotes: backslash and quote escaped, every control
// character (line feed, tab, delete ...) shown as '?', as the text report shows them. When
// the converter refuses the text, every byte above 127 stands for the character U+00XX, as
// in the JSON output.
std::string labelValue(std::string_view ansi, const AnsiConverter& converter);

// The shortest decimal that reads back as the same double ("30.5", "1e-05"); "NaN", "+Inf"
// or "-Inf" for values that are not finite.
std::string decimalNumber(double value);

}  // namespace kestrine
