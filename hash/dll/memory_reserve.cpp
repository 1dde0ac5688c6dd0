#include "hash/dll/memory_reserve.h"

#include <cstdlib>

namespace corvane {

namespace {

// Enough for the exception, the runtime's lazily made lock and the windows' unwinding.
constexpr std::size_t kReserveSize = 64 * 1024;

// The new-handler is the module's own (its runtime is linked in statically) and shared by every
// thread, so it finds the blocks through the module: the live reserves, newest first. The lock
// needs no memory and no initialisation, and is never held while allocating.
SRWLOCK g_reservesLock = SRWLOCK_INIT;
MemoryReserve* g_newestReserve = nullptr;

class ReservesLock {
public:
  ReservesLock() { ::AcquireSRWLockExclusive(&g_reservesLock); }
  ~ReservesLock() { ::ReleaseSRWLockExclusive(&g_reservesLock); }
  ReservesLock(const ReservesLock&) = delete;
  ReservesLock& operator=(const ReservesLock&) = delete;
};

} // namespace

MemoryReserve::MemoryReserve()
    : block_(std::malloc(kReserveSize)), held_(block_ != nullptr), thread_(::GetCurrentThreadId()) {
  ReservesLock lock;
  previous_ = std::set_new_handler(GiveBackReserve);
  older_ = g_newestReserve;
  g_newestReserve = this;
}

MemoryReserve::~MemoryReserve() {
  void* block = nullptr;
  {
    ReservesLock lock;
    MemoryReserve* newer = nullptr;
    for (MemoryReserve* reserve = g_newestReserve; reserve != this; reserve = reserve->older_) {
      newer = reserve;
    }
    if (newer == nullptr) {
      // The newest restores what was there before it: ours again while an older one lives.
      std::set_new_handler(previous_);
      g_newestReserve = older_;
    } else {
      // Ended before a newer one (on another thread): the newer inherits what to restore.
      newer->previous_ = previous_;
      newer->older_ = older_;
    }
    block = block_;
    block_ = nullptr;
  }
  std::free(block);
}

// The command that ran out gives back its own innermost block. When its thread has none left, a
// block of another thread's command goes instead: without room the throw would end the process,
// and every command in it. Each block is freed once, by the handler or by its reserve.
void MemoryReserve::GiveBackReserve() {
  void* block = nullptr;
  {
    ReservesLock lock;
    const DWORD thread = ::GetCurrentThreadId();
    MemoryReserve* ownNewest = nullptr;
    MemoryReserve* anyNewest = nullptr;
    for (MemoryReserve* reserve = g_newestReserve; reserve != nullptr; reserve = reserve->older_) {
      if (reserve->block_ == nullptr) {
        continue;
      }
      if (anyNewest == nullptr) {
        anyNewest = reserve;
      }
      if (reserve->thread_ == thread) {
        ownNewest = reserve;
        break;
      }
    }
    MemoryReserve* chosen = ownNewest != nullptr ? ownNewest : anyNewest;
    if (chosen != nullptr) {
      block = chosen->block_;
      chosen->block_ = nullptr;
    }
  }
  std::free(block);
  // Give up rather than retry: the room is for ending the command, not for going on with it.
  throw std::bad_alloc();
}

} // namespace corvane
