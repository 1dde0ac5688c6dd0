#include "hash/dll/memory_reserve.h"

#include <cstdlib>
#include <new>

namespace corvane {

namespace {

// Enough for the exception, the runtime's lazily made lock and the windows' unwinding.
constexpr std::size_t kReserveSize = 64 * 1024;

// The new-handler is the module's own (its runtime is linked in statically), and it can only reach
// the block through static storage; Hash runs on one thread at a time.
void* g_reserve = nullptr;
std::new_handler g_previous = nullptr;

void GiveBackReserve() {
  std::free(g_reserve);
  g_reserve = nullptr;
  // Give up rather than retry: the room is for ending the command, not for going on with it.
  throw std::bad_alloc();
}

} // namespace

MemoryReserve::MemoryReserve() {
  g_reserve = std::malloc(kReserveSize);
  g_previous = std::set_new_handler(GiveBackReserve);
}

bool MemoryReserve::Held() const {
  return g_reserve != nullptr;
}

MemoryReserve::~MemoryReserve() {
  std::set_new_handler(g_previous);
  std::free(g_reserve);
  g_reserve = nullptr;
}

} // namespace corvane
