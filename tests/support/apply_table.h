#pragma once

// The table of Apply cases that the window and korrin-patch both run: the same definition,
// target and value must give the same message and the same bytes through either front.
//
// tests/data/apply_table.txt holds one case per block of "key: value" lines, a blank line
// between blocks, "#" starting a comment line:
//   case:     a name
//   def:      one line of the definition file (repeated; written with CR LF after each)
//   target:   the target's bytes in hex pairs, blanks between; "none" for no file at all
//   option:   1 or 2, the option button chosen (a "yn" patch)
//   value:    the text typed into the value box, UTF-8; "value:" alone is the empty text
//   message:  what Apply shows; @TARGET@ stands for the target's path
//   after:    the target's bytes afterwards, or "unchanged"
// A case with neither option nor value leaves the controls as the selection set them.

#include <fstream>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace korrin::testing {

struct ApplyCase {
    std::string name;
    std::string definition;             // the file's bytes
    std::optional<std::string> target;  // none: the target does not exist
    std::optional<int> option;
    std::optional<std::string> value;  // UTF-8, as typed
    std::string message;
    std::optional<std::string> after;  // none: unchanged

    // The target's path in message replaced by path.
    std::string MessageFor(const std::string& path) const {
        std::string text = message;
        const std::string mark = "@TARGET@";
        for (std::size_t at = text.find(mark); at != std::string::npos; at = text.find(mark)) {
            text.replace(at, mark.size(), path);
        }
        return text;
    }
    std::string Expected() const { return after ? *after : target.value_or(""); }
};

inline std::string HexToTestBytes(const std::string& hex) {
    std::istringstream in(hex);
    std::string pair;
    std::string bytes;
    while (in >> pair) bytes.push_back(static_cast<char>(std::stoi(pair, nullptr, 16)));
    return bytes;
}

inline std::vector<ApplyCase> ReadApplyTable(const std::string& path) {
    std::ifstream in(path);
    if (!in) throw std::runtime_error("cannot read " + path);
    std::vector<ApplyCase> cases;
    std::optional<ApplyCase> current;
    const auto finish = [&] {
        if (current) cases.push_back(std::move(*current));
        current.reset();
    };
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty()) {
            finish();
            continue;
        }
        if (line[0] == '#') continue;
        const std::size_t colon = line.find(':');
        if (colon == std::string::npos) throw std::runtime_error(path + ": no key in: " + line);
        const std::string key = line.substr(0, colon);
        std::string value = line.substr(colon + 1);
        if (!value.empty() && value[0] == ' ') value.erase(0, 1);
        if (!current) current.emplace();
        if (key == "case") {
            current->name = value;
        } else if (key == "def") {
            current->definition += value + "\r\n";
        } else if (key == "target") {
            if (value != "none") current->target = HexToTestBytes(value);
        } else if (key == "option") {
            current->option = std::stoi(value);
        } else if (key == "value") {
            current->value = value;
        } else if (key == "message") {
            current->message = value;
        } else if (key == "after") {
            if (value != "unchanged") current->after = HexToTestBytes(value);
        } else {
            throw std::runtime_error(path + ": unknown key " + key);
        }
    }
    finish();
    return cases;
}

}  // namespace korrin::testing
