#include "common/number.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace korrin {
namespace {

bool IsSkipped(char c) {
    return c == ' ' || c == '\t' || c == '\n';
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

int DigitValue(char c, int base) {
    int v = -1;
    if (c >= '0' && c <= '9')
        v = c - '0';
    else if (c >= 'a' && c <= 'f')
        v = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F')
        v = c - 'A' + 10;
    return v < base ? v : -1;
}

double ReadRadix(const std::string& s, std::size_t at, int base) {
    double value = 0;
    for (; at < s.size(); ++at) {
        const int d = DigitValue(s[at], base);
        if (d < 0) break;
        value = value * base + d;
    }
    return value;
}

}  // namespace

double ReadNumber(std::string_view text) {
    std::string s;
    s.reserve(text.size());
    for (char c : text) {
        if (!IsSkipped(c)) s.push_back(c);
    }

    if (s.size() >= 2 && s[0] == '&') {
        if (s[1] == 'H' || s[1] == 'h') return ReadRadix(s, 2, 16);
        if (s[1] == 'O' || s[1] == 'o') return ReadRadix(s, 2, 8);
        return 0;
    }

    // Collect the longest prefix that has the shape of a number, in the form from_chars reads.
    std::string number;
    std::size_t i = 0;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
    // The decimal order of the first significant digit, before the exponent: 2 for 345, -2 for
    // 0.0345. Only its sign matters, and only when from_chars finds the number out of range.
    long order = 0;
    bool significant = false;
    bool digits = false;
    for (; i < s.size() && IsDigit(s[i]); ++i, digits = true) {
        number.push_back(s[i]);
        if (significant) {
            ++order;
        } else if (s[i] != '0') {
            significant = true;
        }
    }
    if (i < s.size() && s[i] == '.') {
        number.push_back(s[i++]);
        for (; i < s.size() && IsDigit(s[i]); ++i, digits = true) {
            number.push_back(s[i]);
            if (!significant) {
                --order;
                significant = s[i] != '0';
            }
        }
    }
    if (!digits) return 0;
    long exponent = 0;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E' || s[i] == 'd' || s[i] == 'D')) {
        std::size_t j = i + 1;
        std::string written = "e";
        const bool negativeExponent = j < s.size() && s[j] == '-';
        if (j < s.size() && (s[j] == '+' || s[j] == '-')) written.push_back(s[j++]);
        const std::size_t firstDigit = j;
        for (; j < s.size() && IsDigit(s[j]); ++j) {
            written.push_back(s[j]);
            // Capped far beyond any double's range, so that no exponent overflows.
            exponent = std::min(exponent * 10 + (s[j] - '0'), 1000000000L);
        }
        if (j > firstDigit) number += written;
        if (negativeExponent) exponent = -exponent;
    }

    double value = 0;
    const auto [end, err] = std::from_chars(number.data(), number.data() + number.size(), value);
    (void)end;
    if (err == std::errc::result_out_of_range) {
        // Too large or too small for a double. Which one, the exponent alone does not tell:
        // 1000...0e-5 is too large, 0.000...1 too small.
        value = order + exponent >= 0 ? std::numeric_limits<double>::infinity() : 0.0;
    }
    return negative ? -value : value;
}

bool BeginsWithNumber(std::string_view text) {
    std::string s;
    for (char c : text) {
        if (!IsSkipped(c)) s.push_back(c);
    }
    if (s.size() >= 2 && s[0] == '&') {
        const int base = s[1] == 'H' || s[1] == 'h' ? 16 : s[1] == 'O' || s[1] == 'o' ? 8 : 0;
        return base != 0 && s.size() > 2 && DigitValue(s[2], base) >= 0;
    }
    std::size_t i = s.empty() || (s[0] != '+' && s[0] != '-') ? 0 : 1;
    if (i < s.size() && s[i] == '.') ++i;
    return i < s.size() && IsDigit(s[i]);
}

double RoundHalfEven(double value) {
    // nearbyint rounds in the current mode, which is to nearest, ties to even, unless changed.
    return std::nearbyint(value);
}

}  // namespace korrin
