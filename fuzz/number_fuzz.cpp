// The lenient number rule on any text, against the C library's reading of the same number: the
// prefix of the text that has the shape of a number, read by strtod, must give the same double,
// out-of-range values included. Rounding and the two bytes of a "num" patch follow.

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "check.h"
#include "common/number.h"
#include "patch/value.h"

using namespace korrin;

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// The decimal number the text (blanks already left out) begins with, in strtod's form: "D"
// exponents written as "e". Empty when the text does not begin with one.
std::string DecimalPrefix(std::string_view s) {
    std::size_t i = 0;
    std::string out;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) out.push_back(s[i++]);
    std::size_t digits = 0;
    for (; i < s.size() && IsDigit(s[i]); ++i, ++digits) out.push_back(s[i]);
    if (i < s.size() && s[i] == '.') {
        out.push_back(s[i++]);
        for (; i < s.size() && IsDigit(s[i]); ++i, ++digits) out.push_back(s[i]);
    }
    if (digits == 0) return {};
    if (i < s.size() && std::string_view("eEdD").find(s[i]) != std::string_view::npos) {
        std::size_t j = i + 1;
        std::string exponent = "e";
        if (j < s.size() && (s[j] == '+' || s[j] == '-')) exponent.push_back(s[j++]);
        const std::size_t first = j;
        for (; j < s.size() && IsDigit(s[j]); ++j) exponent.push_back(s[j]);
        if (j > first) out += exponent;
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::string packed;
    for (const char c : text) {
        if (c != ' ' && c != '\t' && c != '\n') packed.push_back(c);
    }
    const double value = ReadNumber(text);
    KORRIN_FUZZ_CHECK(!std::isnan(value), text);
    KORRIN_FUZZ_CHECK(ReadNumber(packed) == value, text);

    if (packed.size() < 2 || packed[0] != '&') {
        const std::string prefix = DecimalPrefix(packed);
        const double expected = prefix.empty() ? 0.0 : std::strtod(prefix.c_str(), nullptr);
        KORRIN_FUZZ_CHECK(value == expected, text);
    } else if (packed.size() <= 12) {
        // Few enough digits that the C library's whole-number reading is exact.
        const bool hex = packed[1] == 'H' || packed[1] == 'h';
        const bool octal = packed[1] == 'O' || packed[1] == 'o';
        std::string digits;
        for (std::size_t i = 2; i < packed.size(); ++i) {
            const char c = packed[i];
            const bool fits =
                hex ? std::isxdigit(static_cast<unsigned char>(c)) != 0 : c >= '0' && c <= '7';
            if (!fits) break;
            digits.push_back(c);
        }
        const double expected =
            (hex || octal) && !digits.empty()
                ? static_cast<double>(std::strtoull(digits.c_str(), nullptr, hex ? 16 : 8))
                : 0.0;
        KORRIN_FUZZ_CHECK(value == expected, text);
    }

    if (std::isfinite(value)) {
        const double rounded = RoundHalfEven(value);
        KORRIN_FUZZ_CHECK(rounded == std::floor(rounded), text);
        KORRIN_FUZZ_CHECK(std::fabs(rounded - value) <= 0.5, text);
        if (std::fabs(rounded - value) == 0.5) {
            KORRIN_FUZZ_CHECK(std::fmod(rounded, 2.0) == 0, text);
        }
        // A whole number of 16 bits is written as itself, low byte first.
        if (value == rounded && value >= 0 && value <= 65535) {
            const auto whole = static_cast<unsigned>(value);
            const std::string expected{static_cast<char>(whole & 0xFF),
                                       static_cast<char>(whole >> 8)};
            KORRIN_FUZZ_CHECK(patch::NumberToBytes(value) == expected, text);
        }
    }
    const std::optional<std::string> bytes = patch::NumberToBytes(value);
    KORRIN_FUZZ_CHECK(!bytes || bytes->size() == 2, text);
    return 0;
}
