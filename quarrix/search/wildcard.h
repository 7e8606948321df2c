// File-name masks with the platform's long-name rules, matched by our own code so that the
// Windows build and the native tests agree to the letter:
//  - letter case is ignored (through the folding table);
//  - "*" matches any run of characters, "?" exactly one character;
//  - a "." that ends the mask, or is followed only by "*"s, also matches the end of a name
//    without a dot: "*.*" takes every name, "readme.*" takes "readme", "readme." takes
//    "readme";
//  - a "*" directly before a "." never swallows the name's last dot, so "*." takes exactly
//    the names without a dot;
//  - every other character stands for itself, "<", ">" and '"' included; blanks count;
//    an empty mask matches nothing.
// Short 8.3 names are not matched: a mask sees the long name only.
#pragma once
#include "quarrix/search/text_tables.h"
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qx::search {

class FileMask {
  public:
    FileMask(std::wstring_view mask, const TextTables& tables);
    bool Matches(std::wstring_view name) const;

  private:
    enum class Kind : std::uint8_t { Literal, AnyOne, Star, StarBeforeDot, DotOrEnd };
    struct Token {
        Kind kind;
        wchar_t folded; // Literal only
    };
    std::vector<Token> tokens_;
    const TextTables* tables_;
    bool matchesAll_ = false;
    mutable std::vector<std::uint8_t> now_, next_; // state sets, kept between calls
};

} // namespace qx::search
