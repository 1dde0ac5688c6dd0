// A selection whose paths do not all fit in the object's 8,519,680-byte list: the whole paths that
// fit reach the hash module and nothing is written past the list.
#include <windows.h>

#include <shellapi.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/shell_host.h"

namespace corvane::test {
namespace {

// The system's DragQueryFileA walks the drop data from its start for every index, which makes a
// selection of 33,000 files take minutes. This stand-in answers the same from an index built once.
struct DropIndex {
  const void* drop = nullptr;
  std::vector<const char*> names;
} dropIndex;

UINT WINAPI IndexedDragQueryFileA(HDROP drop, UINT index, LPSTR file, UINT size) {
  if (dropIndex.drop != drop) {
    dropIndex.drop = drop;
    dropIndex.names.clear();
    auto* header = reinterpret_cast<const DROPFILES*>(drop);
    const char* name = reinterpret_cast<const char*>(header) + header->pFiles;
    while (*name != '\0') {
      dropIndex.names.push_back(name);
      name += std::strlen(name) + 1;
    }
  }
  if (index == 0xFFFFFFFF) {
    return static_cast<UINT>(dropIndex.names.size());
  }
  if (index >= dropIndex.names.size()) {
    return 0;
  }
  const char* name = dropIndex.names[index];
  UINT length = static_cast<UINT>(std::strlen(name));
  if (file == nullptr) {
    return length;
  }
  if (size == 0) {
    return 0;
  }
  if (length > size - 1) {
    length = size - 1;
  }
  std::memcpy(file, name, length);
  file[length] = '\0';
  return length;
}

// Points one import of `module` elsewhere; returns the previous target, or null when not found.
void* ReplaceImport(HMODULE module, const char* dll, const char* function, void* replacement) {
  auto* base = reinterpret_cast<BYTE*>(module);
  auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
  auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY& imports =
      nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  for (auto* descriptor = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
       descriptor->Name != 0; ++descriptor) {
    if (lstrcmpiA(reinterpret_cast<char*>(base + descriptor->Name), dll) != 0) {
      continue;
    }
    auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + descriptor->OriginalFirstThunk);
    auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + descriptor->FirstThunk);
    for (; names->u1.AddressOfData != 0; ++names, ++slots) {
      if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) {
        continue;
      }
      auto* byName = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
      if (std::strcmp(reinterpret_cast<char*>(byName->Name), function) != 0) {
        continue;
      }
      DWORD protection = 0;
      VirtualProtect(&slots->u1.Function, sizeof(void*), PAGE_READWRITE, &protection);
      void* previous = reinterpret_cast<void*>(slots->u1.Function);
      slots->u1.Function = reinterpret_cast<ULONG_PTR>(replacement);
      VirtualProtect(&slots->u1.Function, sizeof(void*), protection, &protection);
      return previous;
    }
  }
  return nullptr;
}

class IndexedDragQuery {
public:
  IndexedDragQuery()
      : previous_(ReplaceImport(Corvane().module, "shell32.dll", "DragQueryFileA",
                                reinterpret_cast<void*>(&IndexedDragQueryFileA))) {}
  ~IndexedDragQuery() {
    if (previous_ != nullptr) {
      ReplaceImport(Corvane().module, "shell32.dll", "DragQueryFileA", previous_);
    }
    dropIndex = DropIndex();
  }
  bool Installed() const { return previous_ != nullptr; }

private:
  void* previous_;
};

std::string NumberedPath(int number, std::size_t length) {
  char prefix[32];
  std::snprintf(prefix, sizeof prefix, "C:\\sel\\%06d_", number);
  std::string path = prefix;
  path.resize(length, 'f');
  return path;
}

TEST(SelectionBound, AListTooLargeForTheBufferKeepsTheWholePathsThatFit) {
  HashModuleValue value;
  value.SetPath(StandInPath());
  StandInRecorder recorder;
  IndexedDragQuery indexed;
  ASSERT_TRUE(indexed.Installed());

  // 33,000 paths of 259 characters take 8,580,000 bytes with their line feeds; 32,767 of them
  // leave just the room for the NUL.
  std::vector<std::string> paths;
  for (int i = 0; i < 33000; ++i) {
    paths.push_back(NumberedPath(i, 259));
  }
  ComPtr<IContextMenu> menu = CreateContextMenu();
  ASSERT_TRUE(menu);
  ASSERT_EQ(S_OK, InitializeWith(menu.Get(), paths));
  MessageBoxAnswerer answerer;
  EXPECT_EQ(S_OK, InvokeByOffset(menu.Get(), 0));
  answerer.Stop();
  EXPECT_FALSE(answerer.Answered()) << answerer.Text();

  const HashCall call = recorder.Take();
  ASSERT_TRUE(call.called);
  constexpr std::size_t kKept = 32767;
  EXPECT_EQ(kKept * 260 - 1, call.list.size());
  std::size_t start = 0;
  std::size_t count = 0;
  bool inOrder = true;
  while (start <= call.list.size()) {
    std::size_t end = call.list.find('\n', start);
    if (end == std::string::npos) {
      end = call.list.size();
    }
    inOrder =
        inOrder && count < paths.size() && call.list.compare(start, end - start, paths[count]) == 0;
    ++count;
    start = end + 1;
  }
  EXPECT_EQ(kKept, count);
  EXPECT_TRUE(inOrder) << "every kept path whole and in selection order";

  // The object is intact: a smaller selection afterwards works as ever.
  ASSERT_EQ(S_OK, InitializeWith(menu.Get(), {"C:\\after.txt"}));
  EXPECT_EQ(S_OK, InvokeByOffset(menu.Get(), 1));
  EXPECT_EQ("C:\\after.txt", recorder.Take().list);
  menu.Reset();
  EXPECT_EQ(S_OK, Corvane().canUnloadNow());
}

TEST(SelectionBound, ShorterPathsFillTheBufferUpToTheLastOneThatFits) {
  HashModuleValue value;
  value.SetPath(StandInPath());
  StandInRecorder recorder;
  IndexedDragQuery indexed;
  ASSERT_TRUE(indexed.Installed());

  // Paths of 99 characters take 100 bytes each: 85,196 fit (8,519,600 bytes plus the NUL).
  std::vector<std::string> paths;
  for (int i = 0; i < 90000; ++i) {
    paths.push_back(NumberedPath(i, 99));
  }
  ComPtr<IContextMenu> menu = CreateContextMenu();
  ASSERT_EQ(S_OK, InitializeWith(menu.Get(), paths));
  EXPECT_EQ(S_OK, InvokeByOffset(menu.Get(), 2));
  const HashCall call = recorder.Take();
  ASSERT_TRUE(call.called);
  EXPECT_EQ(85196u * 100 - 1, call.list.size());
  EXPECT_EQ(paths[85195], call.list.substr(call.list.size() - 99));
}

} // namespace
} // namespace corvane::test
