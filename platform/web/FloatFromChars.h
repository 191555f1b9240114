// The libc++ that comes with Debian's Emscripten has no floating-point
// std::from_chars. The browser build force-includes this header, which adds
// the one overload the game uses, on the C library's strtod (correctly
// rounded, as from_chars is). Only for the decimal forms the callers have
// already checked.
#pragma once

#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <string>
#include <system_error>

#if defined(__EMSCRIPTEN__) && defined(_LIBCPP_VERSION)
namespace std {

inline from_chars_result from_chars(const char* first, const char* last, double& value,
                                    chars_format) {
    const std::string text(first, last);
    char* end = nullptr;
    errno = 0;
    const double parsed = std::strtod(text.c_str(), &end);
    if (end == text.c_str()) return {first, errc::invalid_argument};
    const char* stop = first + (end - text.c_str());
    if (errno == ERANGE) return {stop, errc::result_out_of_range};
    value = parsed;
    return {stop, errc{}};
}

}  // namespace std
#endif
