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

// The occurrences of each needle in data, reading data once and looking for every needle at
// each position together, at a cost that depends little on what data holds. An empty needle
// occurs nowhere.
std::vector<Occurrences> FindEvery(std::string_view data, std::span<const std::string_view> needles,
                                   std::size_t offsetLimit);

}  // namespace korrin::patch
