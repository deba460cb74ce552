#pragma once

// The one lenient rule by which the tool reads a number out of text: the value of a "num" patch
// and the announced length of an update response.

#include <string_view>

namespace korrin {

// Reads the number that text begins with. Blanks, tabs and line feeds are skipped wherever they
// stand; then come an optional sign, decimal digits with an optional full stop as the decimal
// point (whatever the locale), and an optional exponent of E or D in either case with an
// optional sign and digits. "&H" and "&O" instead introduce a whole number in hexadecimal or
// octal digits. Reading stops at the first character that does not fit; a text that does not
// begin with a number reads as 0. A number too large for a double reads as infinity.
double ReadNumber(std::string_view text);

// Whether text begins with a number by that rule, rather than reading as 0 for want of one.
bool BeginsWithNumber(std::string_view text);

// Rounds to the nearest whole number, an exact half to the even neighbour.
double RoundHalfEven(double value);

}  // namespace korrin
