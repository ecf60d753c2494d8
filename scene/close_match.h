#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// The candidate that a slip of the keyboard could have turned into word: the fewest
// single-character edits (an insertion, a deletion, a replacement or two neighbours swapped),
// letter case aside, and at most maxEdits of them. Empty when none is that close; the first
// of equally close candidates wins.
std::string closestMatch(std::string_view word, const std::vector<std::string>& candidates,
                         std::size_t maxEdits);
