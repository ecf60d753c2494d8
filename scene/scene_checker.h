#pragma once

#include <cstdio>

// Reads each scene file as a render would and prints, to out, one diagnostic per problem in the
// "file:line:column: error: message" form and a summary line per file. Returns 0 when no file
// has an error, 1 when one has or cannot be read.
int checkSceneFiles(int count, const char* const fileNames[], std::FILE* out);
