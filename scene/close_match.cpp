#include "scene/close_match.h"

#include <algorithm>
#include <cctype>

namespace {

bool sameLetter(char a, char b) {
    return std::tolower(static_cast<unsigned char>(a)) ==
           std::tolower(static_cast<unsigned char>(b));
}

// Edits from a to b, counting swaps of neighbours as one.
std::size_t editsBetween(std::string_view a, std::string_view b) {
    const std::size_t columns = b.size() + 1;
    std::vector<std::size_t> edits((a.size() + 1) * columns);
    const auto at = [&](std::size_t i, std::size_t j) -> std::size_t& {
        return edits[i * columns + j];
    };
    for (std::size_t i = 0; i <= a.size(); ++i) at(i, 0) = i;
    for (std::size_t j = 0; j <= b.size(); ++j) at(0, j) = j;
    for (std::size_t i = 1; i <= a.size(); ++i) {
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t replace = at(i - 1, j - 1) + !sameLetter(a[i - 1], b[j - 1]);
            at(i, j) = std::min({at(i - 1, j) + 1, at(i, j - 1) + 1, replace});
            if (i > 1 && j > 1 && sameLetter(a[i - 1], b[j - 2]) &&
                sameLetter(a[i - 2], b[j - 1])) {
                at(i, j) = std::min(at(i, j), at(i - 2, j - 2) + 1);
            }
        }
    }
    return at(a.size(), b.size());
}

}  // namespace

std::string closestMatch(std::string_view word, const std::vector<std::string>& candidates,
                         std::size_t maxEdits) {
    const std::string* best = nullptr;
    std::size_t fewest = maxEdits + 1;
    for (const std::string& candidate : candidates) {
        // Lengths further apart than maxEdits cannot come closer.
        const std::size_t apart =
            std::max(word.size(), candidate.size()) - std::min(word.size(), candidate.size());
        if (apart >= fewest) continue;
        const std::size_t edits = editsBetween(word, candidate);
        if (edits < fewest) {
            fewest = edits;
            best = &candidate;
        }
    }
    return best != nullptr ? *best : std::string();
}
