#include "hash/core/file_length.h"

#ifdef _WIN32
#include <io.h>
#else
#include <sys/stat.h>
#endif

namespace corvane {

int64_t FileLength(std::FILE* stream) {
#ifdef _WIN32
  return _filelengthi64(_fileno(stream));
#else
  struct stat status;
  if (fstat(fileno(stream), &status) != 0)
    return -1;
  return status.st_size;
#endif
}

} // namespace corvane
