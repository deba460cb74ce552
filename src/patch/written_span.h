#pragma once

// What an Apply changed in its target, told to whoever wants to be able to take it back, before
// the target is replaced.

#include <cstdint>
#include <functional>
#include <span>
#include <string_view>
#include <vector>

#include "patch/bytes.h"
#include "patch/safe_save.h"

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

// The spans in which data differs from what it was before changes were made to it (each change
// holding what stood where it wrote; later ones may cover earlier ones), in order of offset.
// Bytes written over with what they held already are left out.
std::vector<WrittenSpan> FoldChanges(std::string_view data, std::span<const Change> changes);

}  // namespace korrin::patch
