#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// The first thing the block reader does differently from the stdio reader with the scene file
// at path, in words: console bytes, object counts, then every field of every object bit for bit
// (for a texture, whether there is one and its size). Empty when they agree.
std::string readerDifference(const std::string& path);

// The first difference between SceneInput with blocks of blockSize bytes and the stdio reads of
// the same file, through one sequence of token and number reads drawn from seed: what each read
// gives and whether it met the end of the file. Empty when they agree.
std::string inputDifference(const std::string& path, std::size_t blockSize, std::uint32_t seed);
