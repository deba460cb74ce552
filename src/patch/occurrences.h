#pragma once

// Every place a signature occurs, for telling a user why a patch lands where it does. Apply
// itself only ever looks for the first occurrence (search.h).

#include <cstddef>
#include <span>
#include <string_view>
#include <vector>

namespace korrin::patch {

struct Occurrences {
    std::size_t count = 0;             // every occurrence, overlapping ones included
    std::vector<std::size_t> offsets;  // the first of them, in order, at most the limit asked
};

// The occurrences of each needle in data, reading data once: it goes through data in blocks
// that stay in the processor's cache while every needle is looked for in them, so ten needles
// cost little more than one. An empty needle occurs nowhere.
std::vector<Occurrences> FindEvery(std::string_view data, std::span<const std::string_view> needles,
                                   std::size_t offsetLimit);

}  // namespace korrin::patch
