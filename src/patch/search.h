#pragma once

// First-occurrence byte search over whole executables of hundreds of megabytes. Each search
// skips ahead with memchr on the needle's least common byte and confirms candidates with
// memcmp: on machine code this runs at memory speed, where generic searchers crawl.

#include <cstddef>
#include <span>
#include <string_view>
#include <vector>

namespace korrin::patch {

inline constexpr std::size_t kNotFound = std::string_view::npos;

// The position of the first occurrence of needle in data that starts in [from, to), or
// kNotFound. An empty needle is never found: it would "occur" at the first byte.
std::size_t FindFirst(std::string_view data, std::string_view needle, std::size_t from = 0,
                      std::size_t to = kNotFound);

// FindFirst(data, needles[i]) for every i, reading data once: it goes through data in blocks
// small enough to stay in the processor's cache and searches each block for every needle not
// yet found. Ten needles cost little more than one.
std::vector<std::size_t> FindFirstEach(std::string_view data,
                                       std::span<const std::string_view> needles);

}  // namespace korrin::patch
