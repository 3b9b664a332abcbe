#pragma once
// Strict checks of the report's machine-read formats, independent of the writers: a JSON
// parser that accepts only RFC 8259 documents in valid UTF-8, and a reader of the Prometheus
// text exposition format. Used by the native tests and the report fuzz target.
#include <cctype>
#include <cstddef>
#include <string>
#include <string_view>

namespace kestrine::testing {

// Length of the UTF-8 sequence starting at text[i] (shortest form, no surrogates), 0 if invalid.
inline std::size_t utf8SequenceAt(std::string_view text, std::size_t i) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char first = byte(i);
    if (first < 0x80) return 1;
    std::size_t length = 0;
    unsigned long code = 0;
    if (first >= 0xC2 && first <= 0xDF) {
        length = 2, code = first & 0x1F;
    } else if (first >= 0xE0 && first <= 0xEF) {
        length = 3, code = first & 0x0F;
    } else if (first >= 0xF0 && first <= 0xF4) {
        length = 4, code = first & 0x07;
    } else {
        return 0;
    }
    if (i + length > text.size()) return 0;
    for (std::size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) return 0;
        code = code << 6 | (byte(i + k) & 0x3F);
    }
    const bool shortest = (length == 3 && code >= 0x800) || (length == 4 && code >= 0x10000) || length == 2;
    const bool scalar = code <= 0x10FFFF && (code < 0xD800 || code > 0xDFFF);
    return shortest && scalar ? length : 0;
}

inline bool isUtf8(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = utf8SequenceAt(text, i);
        if (length == 0) return false;
        i += length;
    }
    return true;
}

class StrictJson {
public:
    static bool accepts(std::string_view text) {
        StrictJson parser(text);
        parser.blanks();
        if (!parser.value(0)) return false;
        parser.blanks();
        return parser.at_ == text.size();
    }

private:
    explicit StrictJson(std::string_view text) : text_(text) {}

    bool more() const { return at_ < text_.size(); }
    char peek() const { return more() ? text_[at_] : '\0'; }
    bool take(char c) {
        if (peek() != c || !more()) return false;
        ++at_;
        return true;
    }
    void blanks() {
        while (more() && (peek() == ' ' || peek() == '\t' || peek() == '\n' || peek() == '\r')) ++at_;
    }
    bool word(std::string_view w) {
        if (text_.substr(at_, w.size()) != w) return false;
        at_ += w.size();
        return true;
    }
    bool digits() {
        const std::size_t start = at_;
        while (more() && peek() >= '0' && peek() <= '9') ++at_;
        return at_ > start;
    }
    bool number() {
        take('-');
        if (!take('0') && !(peek() >= '1' && peek() <= '9' && digits())) return false;
        if (take('.') && !digits()) return false;
        if (take('e') || take('E')) {
            if (!take('+')) take('-');
            if (!digits()) return false;
        }
        return true;
    }
    bool string() {
        if (!take('"')) return false;
        while (more()) {
            const auto c = static_cast<unsigned char>(peek());
            if (c == '"') return ++at_, true;
            if (c < 0x20) return false;
            if (c == '\\') {
                ++at_;
                const char e = peek();
                if (!more()) return false;
                ++at_;
                if (e == 'u') {
                    for (int k = 0; k < 4; ++k, ++at_)
                        if (!more() || !std::isxdigit(static_cast<unsigned char>(peek()))) return false;
                } else if (std::string_view("\"\\/bfnrt").find(e) == std::string_view::npos) {
                    return false;
                }
                continue;
            }
            const std::size_t length = utf8SequenceAt(text_, at_);
            if (length == 0) return false;
            at_ += length;
        }
        return false;
    }
    // Members and items, each preceded by its separator after the first.
    bool sequence(char close, int depth, bool members) {
        blanks();
        if (take(close)) return true;
        do {
            blanks();
            if (members) {
                if (!string()) return false;
                blanks();
                if (!take(':')) return false;
                blanks();
            }
            if (!value(depth + 1)) return false;
            blanks();
        } while (take(','));
        return take(close);
    }
    bool value(int depth) {
        if (depth > 64) return false;
        switch (peek()) {
            case '{': ++at_; return sequence('}', depth, true);
            case '[': ++at_; return sequence(']', depth, false);
            case '"': return string();
            case 't': return word("true");
            case 'f': return word("false");
            case 'n': return word("null");
            default: return number();
        }
    }

    std::string_view text_;
    std::size_t at_ = 0;
};

// Every line of `text` is a HELP line, a TYPE line (a gauge, or a counter whose name ends in
// _total) or a sample of the family the
// last TYPE line announced; names, label names, escapes, UTF-8 and values as the
// exposition format wants them. On failure `why` names the first bad line.
inline bool isMetricText(std::string_view text, std::string& why) {
    const auto isNameChar = [](char c, bool first, bool colon) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || (colon && c == ':') ||
               (!first && c >= '0' && c <= '9');
    };
    const auto nameLength = [&](std::string_view s, bool colon) {
        std::size_t n = 0;
        while (n < s.size() && isNameChar(s[n], n == 0, colon)) ++n;
        return n;
    };
    const auto isValue = [](std::string_view v) {
        if (v == "NaN" || v == "+Inf" || v == "-Inf") return true;
        std::size_t i = 0;
        if (i < v.size() && (v[i] == '-' || v[i] == '+')) ++i;
        bool digit = false;
        while (i < v.size() && v[i] >= '0' && v[i] <= '9') ++i, digit = true;
        if (i < v.size() && v[i] == '.') {
            ++i;
            while (i < v.size() && v[i] >= '0' && v[i] <= '9') ++i, digit = true;
        }
        if (!digit) return false;
        if (i < v.size() && (v[i] == 'e' || v[i] == 'E')) {
            ++i;
            if (i < v.size() && (v[i] == '-' || v[i] == '+')) ++i;
            const std::size_t start = i;
            while (i < v.size() && v[i] >= '0' && v[i] <= '9') ++i;
            if (i == start) return false;
        }
        return i == v.size();
    };
    if (!isUtf8(text) || (!text.empty() && text.back() != '\n')) return why = "not UTF-8 lines", false;
    std::string family;
    while (!text.empty()) {
        const std::string_view line = text.substr(0, text.find('\n'));
        text.remove_prefix(line.size() + 1);
        why = std::string(line);
        if (line.starts_with("# HELP ") || line.starts_with("# TYPE ")) {
            const std::string_view rest = line.substr(7);
            const std::size_t n = nameLength(rest, true);
            if (n == 0 || n >= rest.size() || rest[n] != ' ') return false;
            if (line.starts_with("# TYPE ")) {
                const std::string_view type = rest.substr(n + 1);
                family = std::string(rest.substr(0, n));
                if (type != "gauge" && !(type == "counter" && family.ends_with("_total"))) return false;
            }
            continue;
        }
        std::size_t at = nameLength(line, true);
        if (at == 0 || line.substr(0, at) != family) return false;
        if (at < line.size() && line[at] == '{') {
            ++at;
            while (true) {
                const std::size_t n = nameLength(line.substr(at), false);
                if (n == 0 || line.substr(at + n, 2) != "=\"") return false;
                at += n + 2;
                while (at < line.size() && line[at] != '"') {
                    if (line[at] == '\\') {
                        if (at + 1 >= line.size() ||
                            std::string_view("\\\"n").find(line[at + 1]) == std::string_view::npos)
                            return false;
                        ++at;
                    }
                    ++at;
                }
                if (at >= line.size()) return false;
                ++at;
                if (at < line.size() && line[at] == ',') {
                    ++at;
                    continue;
                }
                if (at >= line.size() || line[at] != '}') return false;
                ++at;
                break;
            }
        }
        if (at >= line.size() || line[at] != ' ' || !isValue(line.substr(at + 1))) return false;
    }
    why.clear();
    return true;
}

}  // namespace kestrine::testing
