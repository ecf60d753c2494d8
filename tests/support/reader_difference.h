#pragma once

#include <cstdint>
#include <string>

// The first thing, in words, that the block reader does differently with the scene file at path
// from the loader as first written (tokens with fgetc, numbers with fscanf("%f"), echo with
// printf("%g")), which is kept as the yardstick: console bytes, then every number of every
// object bit for bit and its texture's size; then, with small blocks drawn from seed so that
// tokens and numbers meet block edges everywhere, a sequence of token and number reads. Empty
// when they agree.
std::string readerDifference(const std::string& path, std::uint32_t seed);
