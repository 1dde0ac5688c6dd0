#pragma once
// Room for ending a command cleanly when memory runs out. Throwing std::bad_alloc needs memory of
// its own: the runtime allocates the exception and, on its fall-back path, initialises a lock on
// first use. With the heap full that fails before any handler runs, and the process dies.

namespace corvane {

// While it lives, a block is held back; the first allocation of the module that finds no memory
// gives it back to the heap and throws std::bad_alloc, which then has room to reach the export's
// catch.
class MemoryReserve {
public:
  MemoryReserve();
  ~MemoryReserve();
  MemoryReserve(const MemoryReserve&) = delete;
  MemoryReserve& operator=(const MemoryReserve&) = delete;

  // False when not even the reserve could be had: there is no room to start a command.
  bool Held() const;
};

} // namespace corvane
