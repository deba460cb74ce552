#pragma once

// Text as this tool sees it: one byte per character, in the system's 8-bit code page.
// Definition files, update responses and scripts are held in std::string byte for byte.

#include <string>
#include <string_view>
#include <vector>

namespace korrin {

// Splits text into lines. A line ends at CR LF or at a lone CR; a lone LF stays part of its
// line. The last line needs no end mark, and an end mark after it adds no empty line.
std::vector<std::string> SplitLines(std::string_view text);

// Splits text at every occurrence of sep. Nothing is trimmed; two separators in a row give an
// empty item; the empty text gives no items at all.
std::vector<std::string> SplitList(std::string_view text, char sep);

// Lower-cases the ASCII letters A-Z and leaves every other byte as it is.
std::string LowerCase(std::string_view text);

// Whether name matches pattern, in which * stands for any run of characters and ? for any one;
// every other character stands for itself, letter case included.
bool WildcardMatch(std::string_view pattern, std::string_view name);

// The bytes as upper-case hex pairs with one blank between them ("0F 8C 51"), as users read them.
std::string HexPairs(std::string_view bytes);

// True when text begins with prefix, compared exactly.
inline bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

}  // namespace korrin
