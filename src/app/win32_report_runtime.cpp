// The report's C++ runtime, trimmed. libstdc++ raises its logic errors (a string grown past
// its limit, an index out of range) through functions whose exception classes carry
// reference-counted strings: linking them brings a second string implementation and the
// random-device code behind it, about 80 KB of the report's 300. These definitions replace
// the ones the report's code calls; a link that needs another of them fails rather than
// mixing the two. The report catches every std::exception, prints its text and exits with 3.
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <new>

#ifdef __GLIBCXX__  // set by the library's headers

namespace {

// A library failure and its text, kept in the exception itself: nothing to allocate while
// memory may be what failed.
class RuntimeFailure : public std::exception {
public:
    explicit RuntimeFailure(const char* text) { std::snprintf(text_, sizeof text_, "%s", text); }
    RuntimeFailure(const char* format, std::va_list arguments) {
        std::vsnprintf(text_, sizeof text_, format, arguments);
    }
    const char* what() const noexcept override { return text_; }

private:
    char text_[256] = {};
};

}  // namespace

namespace std {
void __throw_bad_alloc() { throw bad_alloc(); }
void __throw_bad_array_new_length() { throw bad_array_new_length(); }
void __throw_length_error(const char* text) { throw RuntimeFailure(text); }
void __throw_logic_error(const char* text) { throw RuntimeFailure(text); }
void __throw_out_of_range_fmt(const char* format, ...) {
    std::va_list arguments;
    va_start(arguments, format);
    RuntimeFailure failure(format, arguments);
    va_end(arguments);
    throw failure;
}
}  // namespace std

namespace __gnu_cxx {
// The default handler for an uncaught exception prints its demangled type, which links the
// whole C++ demangler (46 KB). The report catches what it can; anything else ends it at once.
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx
#endif
