#pragma once

// The bytes that a "num" patch writes for the number in its value box.

#include <optional>

#include "patch/bytes.h"

namespace korrin::patch {

// Two bytes, low then high, for v: with q the smallest whole number from 0 up for which
// v - 256q is at most 255, high is q capped at 255 and low is v - 256q rounded half to even.
// So 0 to 65535 give their 16-bit form, larger whole numbers v mod 256 and 255, and 300.5
// gives 44 and 1. None when low would fall below 0 (below -0.5, or just above 255 + 256k,
// such as 255.2) and for an infinite v: such a value has no two-byte form.
std::optional<Bytes> NumberToBytes(double v);

}  // namespace korrin::patch
