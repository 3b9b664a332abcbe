#include "report/text_encoding.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace kestrine {

namespace {

bool isAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// The UTF-8 form of the character U+00XX for every byte XX above 127.
std::string latin1ToUtf8(std::string_view bytes) {
    std::string utf8;
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            utf8.push_back(c);
        } else {
            utf8.push_back(static_cast<char>(0xC0 | byte >> 6));
            utf8.push_back(static_cast<char>(0x80 | (byte & 0x3F)));
        }
    }
    return utf8;
}

void appendUnicodeEscape(std::string& out, unsigned char byte) {
    char escape[8];
    std::snprintf(escape, sizeof escape, "\\u%04X", static_cast<unsigned>(byte));
    out += escape;
}

// Escapes one byte of UTF-8 (or ASCII) text for a JSON string; bytes above 127 pass through.
void appendJsonByte(std::string& out, char c) {
    const auto byte = static_cast<unsigned char>(c);
    switch (c) {
        case '"': out += "\\\""; return;
        case '\\': out += "\\\\"; return;
        case '\n': out += "\\n"; return;
        case '\r': out += "\\r"; return;
        case '\t': out += "\\t"; return;
        default: break;
    }
    if (isControlCharacter(c)) {
        appendUnicodeEscape(out, byte);
    } else {
        out.push_back(c);
    }
}

// The length of the well-formed UTF-8 sequence at `at` (no overlong form, no surrogate, at
// most U+10FFFF), or 0.
std::size_t utf8SequenceAt(std::string_view text, std::size_t at) {
    const auto byte = [&text](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at);
    if (lead < 0x80) return 1;
    const std::size_t length = lead >= 0xC2 && lead <= 0xDF   ? 2
                               : lead >= 0xE0 && lead <= 0xEF ? 3
                               : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                              : 0;
    if (length == 0 || at + length > text.size()) return 0;
    for (std::size_t i = 1; i < length; ++i)
        if ((byte(at + i) & 0xC0) != 0x80) return 0;
    const unsigned char second = byte(at + 1);
    if ((lead == 0xE0 && second < 0xA0) || (lead == 0xED && second > 0x9F) || (lead == 0xF0 && second < 0x90) ||
        (lead == 0xF4 && second > 0x8F))
        return 0;
    return length;
}

}  // namespace

bool isControlCharacter(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte == 0x7F;
}

std::string controlsShown(std::string text) {
    std::replace_if(text.begin(), text.end(), isControlCharacter, '?');
    return text;
}

bool Utf8Text::toUtf8(std::string_view text, std::string& utf8) const {
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t length = utf8SequenceAt(text, at);
        if (length == 0) return false;
        at += length;
    }
    utf8 = text;
    return true;
}

std::string jsonString(std::string_view ansi, const AnsiConverter& converter) {
    std::string out = "\"";
    std::string utf8;
    if (isAscii(ansi)) {
        for (const char c : ansi) appendJsonByte(out, c);
    } else if (converter.toUtf8(ansi, utf8)) {
        for (const char c : utf8) appendJsonByte(out, c);
    } else {
        for (const char c : ansi) {
            const auto byte = static_cast<unsigned char>(c);
            if (byte < 0x80) {
                appendJsonByte(out, c);
            } else {
                appendUnicodeEscape(out, byte);
            }
        }
    }
    out += '"';
    return out;
}

std::string utf8Text(std::string_view ansi, const AnsiConverter& converter) {
    std::string utf8;
    if (isAscii(ansi)) return std::string(ansi);
    if (!converter.toUtf8(ansi, utf8)) return latin1ToUtf8(ansi);
    return utf8;
}

std::string labelValue(std::string_view ansi, const AnsiConverter& converter) {
    std::string out;
    for (const char c : controlsShown(utf8Text(ansi, converter))) {
        if (c == '\\' || c == '"') out.push_back('\\');
        out.push_back(c);
    }
    return out;
}

// The fewest significant digits that read back as `value` (printf's %e with 0 to 16
// decimals, tried in turn), written plainly or with an exponent, whichever is shorter and
// plainly on a tie. This is what std::to_chars gives, without its tables of powers, which
// would more than double the size of the report program.
std::string decimalNumber(double value) {
    if (std::isnan(value)) return "NaN";
    if (std::isinf(value)) return value > 0 ? "+Inf" : "-Inf";
    char scientific[32];
    for (int decimals = 0; decimals <= 16; ++decimals) {
        std::snprintf(scientific, sizeof scientific, "%.*e", decimals, value);
        if (std::strtod(scientific, nullptr) == value) break;
    }
    const std::string text = scientific;
    const std::size_t e = text.find('e');
    const int exponent = std::atoi(text.c_str() + e + 1);
    const bool negative = text[0] == '-';
    std::string digits;
    for (std::size_t i = negative ? 1 : 0; i < e; ++i)
        if (text[i] != '.') digits += text[i];

    std::string plain = negative ? "-" : "";
    if (exponent < 0) {
        plain += "0." + std::string(static_cast<std::size_t>(-exponent - 1), '0') + digits;
    } else if (const auto whole = static_cast<std::size_t>(exponent) + 1; digits.size() > whole) {
        plain += digits.substr(0, whole) + '.' + digits.substr(whole);
    } else {
        char integer[400];  // a whole number is written with all its digits, as %f does
        std::snprintf(integer, sizeof integer, "%.0f", value);
        plain = integer;
    }
    return text.size() < plain.size() ? text : plain;
}

}  // namespace kestrine
