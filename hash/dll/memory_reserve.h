#pragma once
// Room for ending a command cleanly when memory runs out. Throwing std::bad_alloc needs memory of
// its own: the runtime allocates the exception and, on its fall-back path, initialises a lock on
// first use. With the heap full that fails before any handler runs, and the process dies.

#include <windows.h>

#include <new>

namespace corvane {

// While it lives, a block is held back; an allocation of the module that finds no memory gives a
// block back to the heap and throws std::bad_alloc, which then has room to reach the export's
// catch. Reserves nest (a command started inside another's message loop) and live on several
// threads at once (a command in each of two folder windows).
class MemoryReserve {
public:
  MemoryReserve();
  ~MemoryReserve();
  MemoryReserve(const MemoryReserve&) = delete;
  MemoryReserve& operator=(const MemoryReserve&) = delete;

  // False when not even the reserve could be had: there is no room to start a command.
  bool Held() const { return held_; }

private:
  static void GiveBackReserve();

  void* block_;
  const bool held_;
  const DWORD thread_;
  // The handler in place before this reserve came: ours when an older reserve is alive.
  std::new_handler previous_ = nullptr;
  // The reserve that came before this one, on any thread.
  MemoryReserve* older_ = nullptr;
};

} // namespace corvane
