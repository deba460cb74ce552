#pragma once

// What an Apply changed in its target, told to whoever wants to be able to take it back, before
// the target is replaced.

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "patch/bytes.h"

namespace korrin::patch {

// A run of bytes that an Apply changed: where it starts in the target, what stood there, and
// what stands there now. before and after are the same length and differ at every byte.
struct WrittenSpan {
    std::uint64_t offset = 0;
    Bytes before;
    Bytes after;

    bool operator==(const WrittenSpan&) const = default;
};

// Called with the spans of an Apply whose every signature succeeded, before the target is
// replaced; never called for an Apply that writes nothing or changes no byte.
using SpansWritten = std::function<void(std::span<const WrittenSpan> spans)>;

// What a list of writes, in the order they were made, changed in all: each byte's before from
// the first write to reach it, its after from the last; in order of offset, and without the
// bytes that end up holding what they held at first. Writes may overlap and need not differ.
std::vector<WrittenSpan> FoldWrites(std::span<const WrittenSpan> writes);

}  // namespace korrin::patch
