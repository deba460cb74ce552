#pragma once

// Colour for a terminal, nothing for a pipe or a file.

#include <string>
#include <string_view>

namespace korrin::cli {

class Style {
  public:
    explicit Style(bool colour) : colour_(colour) {}

    std::string Good(std::string_view text) const { return Wrap("32", text); }
    std::string Bad(std::string_view text) const { return Wrap("31", text); }
    std::string Warn(std::string_view text) const { return Wrap("33", text); }
    std::string Bold(std::string_view text) const { return Wrap("1", text); }

    // Whether standard output should get colour: a terminal, and the user has not asked for
    // none (NO_COLOR, TERM=dumb).
    static bool ForStandardOutput();

  private:
    std::string Wrap(std::string_view code, std::string_view text) const {
        if (!colour_) return std::string(text);
        return "\x1b[" + std::string(code) + "m" + std::string(text) + "\x1b[0m";
    }
    bool colour_;
};

}  // namespace korrin::cli
