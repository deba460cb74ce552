#pragma once

// What a fuzz target does when the code under test breaks a promise: says which, with the input
// in a form that can be pasted into a test, and aborts, which libFuzzer and the replay test both
// report as a finding.

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace korrin::fuzz {

inline std::string Escaped(std::string_view bytes) {
    std::string out;
    for (const char c : bytes.substr(0, 400)) {
        const auto b = static_cast<unsigned char>(c);
        if (b >= 0x20 && b < 0x7F && c != '\\' && c != '"') {
            out.push_back(c);
        } else {
            char hex[5];
            std::snprintf(hex, sizeof hex, "\\x%02X", b);
            out += hex;
        }
    }
    if (bytes.size() > 400) out += "...";
    return out;
}

[[noreturn]] inline void Fail(const char* what, std::string_view input, const char* file,
                              int line) {
    std::fprintf(stderr, "%s:%d: %s\n  input: \"%s\"\n", file, line, what, Escaped(input).c_str());
    std::abort();
}

}  // namespace korrin::fuzz

#define KORRIN_FUZZ_CHECK(condition, input)                                              \
    do {                                                                                 \
        if (!(condition)) ::korrin::fuzz::Fail(#condition, (input), __FILE__, __LINE__); \
    } while (0)
