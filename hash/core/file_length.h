#pragma once

#include <cstdint>
#include <cstdio>

namespace corvane {

// Length of the file behind an open stream, taken from its descriptor; -1 when it cannot be read.
int64_t FileLength(std::FILE* stream);

} // namespace corvane
