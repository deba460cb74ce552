#include "patch/hex.h"

#include <array>
#include <charconv>
#include <string>

#include "common/text.h"

namespace korrin::patch {
namespace {

// Value of an upper-case hexadecimal digit, or -1: lower-case digits do not count.
constexpr std::array<int, 256> MakeDigitTable() {
    std::array<int, 256> table{};
    for (int& v : table) v = -1;
    for (int c = '0'; c <= '9'; ++c) table[c] = c - '0';
    for (int c = 'A'; c <= 'F'; ++c) table[c] = c - 'A' + 10;
    return table;
}
constexpr std::array<int, 256> kDigit = MakeDigitTable();

int Digit(char c) {
    return kDigit[static_cast<unsigned char>(c)];
}

}  // namespace

Bytes HexToBytes(std::string_view text) {
    std::string decimalList;
    // An odd last character is a chunk of its own and never a whole pair: it is left out here.
    for (std::size_t at = 0; at + 1 < text.size(); at += 2) {
        const int high = Digit(text[at]);
        const int low = Digit(text[at + 1]);
        if (high < 0 || low < 0) continue;
        if (!decimalList.empty()) decimalList.push_back(' ');
        decimalList += std::to_string(high * 16 + low);
    }
    return DecimalListToBytes(decimalList);
}

Bytes DecimalListToBytes(std::string_view list) {
    Bytes bytes;
    for (const std::string& element : SplitList(list, ' ')) {
        unsigned value = 0;
        const char* end = element.data() + element.size();
        const auto [stop, err] = std::from_chars(element.data(), end, value);
        if (err != std::errc() || stop != end || element.empty() || value > 255) continue;
        bytes.push_back(static_cast<char>(value));
    }
    return bytes;
}

}  // namespace korrin::patch
