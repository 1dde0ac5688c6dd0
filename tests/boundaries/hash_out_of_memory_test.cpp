// The real Hash.dll with the process's heap running full: from its Nth allocation on, every request
// of the module fails until blocks are given back, as on a machine out of memory. Wherever that
// strikes, Hash returns, the process lives on and no window of the command is left behind.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "tests/common/temp_folder.h"
#include "tests/support/test_support.h"

namespace corvane {

namespace {

using Malloc = void*(__cdecl*)(size_t);
using Calloc = void*(__cdecl*)(size_t, size_t);
using Realloc = void*(__cdecl*)(void*, size_t);
using Free = void(__cdecl*)(void*);
using Strdup = char*(__cdecl*)(const char*);
using Msize = size_t(__cdecl*)(void*);

// The C runtime Hash.dll imports; only the module's own calls go through the shims below.
struct Runtime {
  Malloc malloc;
  Calloc calloc;
  Realloc realloc;
  Free free;
  Msize msize;
};
Runtime g_crt;

// Allocations left before the heap is full (negative: it never fills), and once full, the bytes
// given back since.
long g_allocationsLeft = -1;
bool g_full = false;
size_t g_room = 0;

bool Grant(size_t size) {
  if (!g_full && g_allocationsLeft != 0) {
    if (g_allocationsLeft > 0)
      --g_allocationsLeft;
    return true;
  }
  g_full = true;
  if (size > g_room)
    return false;
  g_room -= size;
  return true;
}

void GiveBack(void* block) {
  if (g_full && block != nullptr)
    g_room += g_crt.msize(block);
}

void* __cdecl FailingMalloc(size_t size) {
  return Grant(size) ? g_crt.malloc(size) : nullptr;
}
void* __cdecl FailingCalloc(size_t count, size_t size) {
  return Grant(count * size) ? g_crt.calloc(count, size) : nullptr;
}
void* __cdecl FailingRealloc(void* block, size_t size) {
  if (block == nullptr)
    return FailingMalloc(size);
  const size_t had = g_crt.msize(block);
  if (size > had && !Grant(size - had))
    return nullptr;
  return g_crt.realloc(block, size);
}
void __cdecl CountingFree(void* block) {
  GiveBack(block);
  g_crt.free(block);
}
char* __cdecl FailingStrdup(const char* text) {
  const size_t size = std::strlen(text) + 1;
  char* copy = static_cast<char*>(FailingMalloc(size));
  if (copy != nullptr)
    std::memcpy(copy, text, size);
  return copy;
}

// Points the module's imports of these msvcrt functions at the shims.
void PatchImports(HMODULE module) {
  auto* base = reinterpret_cast<BYTE*>(module);
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY& directory =
      nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  const struct {
    const char* name;
    void* shim;
  } shims[] = {{"malloc", reinterpret_cast<void*>(FailingMalloc)},
               {"calloc", reinterpret_cast<void*>(FailingCalloc)},
               {"realloc", reinterpret_cast<void*>(FailingRealloc)},
               {"free", reinterpret_cast<void*>(CountingFree)},
               {"_strdup", reinterpret_cast<void*>(FailingStrdup)}};
  int patched = 0;
  for (auto* import = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + directory.VirtualAddress);
       import->Name != 0; ++import) {
    if (_stricmp(reinterpret_cast<const char*>(base + import->Name), "msvcrt.dll") != 0)
      continue;
    auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + import->OriginalFirstThunk);
    auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + import->FirstThunk);
    for (; names->u1.AddressOfData != 0; ++names, ++slots) {
      if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal))
        continue;
      const char* name =
          reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData)->Name;
      for (const auto& shim : shims) {
        if (std::strcmp(name, shim.name) != 0)
          continue;
        DWORD previous = 0;
        VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, PAGE_READWRITE, &previous);
        slots->u1.Function = reinterpret_cast<ULONG_PTR>(shim.shim);
        VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, previous, &previous);
        ++patched;
      }
    }
  }
  ASSERT_EQ(patched, 5) << "Hash.dll no longer imports the runtime's allocation functions";
}

BOOL CALLBACK CountWindow(HWND, LPARAM count) {
  ++*reinterpret_cast<int*>(count);
  return TRUE;
}

TEST(HashOutOfMemory, AtEveryAllocationTheCommandEndsAndLeavesNoWindow) {
  HMODULE crt = GetModuleHandleA("msvcrt.dll");
  ASSERT_NE(crt, nullptr);
  g_crt = {reinterpret_cast<Malloc>(reinterpret_cast<void*>(GetProcAddress(crt, "malloc"))),
           reinterpret_cast<Calloc>(reinterpret_cast<void*>(GetProcAddress(crt, "calloc"))),
           reinterpret_cast<Realloc>(reinterpret_cast<void*>(GetProcAddress(crt, "realloc"))),
           reinterpret_cast<Free>(reinterpret_cast<void*>(GetProcAddress(crt, "free"))),
           reinterpret_cast<Msize>(reinterpret_cast<void*>(GetProcAddress(crt, "_msize")))};

  test::TempFolder folder;
  const std::string list = folder.Write("a.txt", test::PatternBytes(70000)) + "\n" +
                           folder.Path("missing.txt") + "\n" + folder.Write("b.txt", "abc");
  // Both digests over an unreadable entry and a block and a half, and a verification refused
  // for its several lines.
  const struct {
    const char* list;
    int mode;
  } commands[] = {{list.c_str(), 0}, {list.c_str(), 1}, {list.c_str(), 3}};
  for (const auto& command : commands) {
    int struck = 0;
    for (long after = 0;; ++after) {
      test::HashModule module;
      ASSERT_TRUE(module.Loaded());
      PatchImports(module.Handle());
      g_allocationsLeft = after;
      g_full = false;
      g_room = 0;
      // Whatever window comes up is cancelled from outside until Hash returns.
      module.Run(command.list, command.mode, [](DWORD) {});
      g_allocationsLeft = -1;
      const bool filled = g_full;
      g_full = false;
      int left = 0;
      EnumThreadWindows(GetCurrentThreadId(), CountWindow, reinterpret_cast<LPARAM>(&left));
      EXPECT_EQ(left, 0) << "mode " << command.mode << ", full after " << after << " allocations";
      if (!filled)
        break;
      ++struck;
      ASSERT_LT(after, 5000) << "the command never ran to its end";
    }
    EXPECT_GT(struck, 0) << "mode " << command.mode;
  }
}

} // namespace

} // namespace corvane
