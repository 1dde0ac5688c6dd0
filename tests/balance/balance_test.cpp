// What a shell extension living inside Explorer for months must not do: leave a lock, a handle, a
// GDI or USER object or a heap behind, however many times it is created, used and released, and
// however many commands load and unload the hash module.
#include <windows.h>

#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "common/product.h"
#include "shell/dll/identifiers.h"
#include "tests/common/temp_folder.h"
#include "tests/support/shell_host.h"
#include "tests/support/test_support.h"
#include "tests/support/window_driver.h"
#include "tools/explorer/hdrop_data_object.h"

namespace corvane::test {
namespace {

// Wine answers 0 for GetProcessHandleCount and GetGuiResources, so the counts are also taken by
// probing every handle value: kernel handles are multiples of 4, and a USER or GDI handle whose
// upper word is 0 names its table entry whatever its generation.
DWORD ProbeKernelHandles() {
  DWORD count = 0;
  for (ULONG_PTR value = 4; value < 0x40000; value += 4) {
    DWORD flags = 0;
    if (GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags))
      ++count;
  }
  return count;
}

DWORD ProbeGdiObjects() {
  DWORD count = 0;
  for (ULONG_PTR value = 1; value < 0x10000; ++value)
    if (GetObjectType(reinterpret_cast<HGDIOBJ>(value)) != 0)
      ++count;
  return count;
}

DWORD ProbeUserObjects() {
  DWORD count = 0;
  // Table entry i has the handle 0x20 + 2 i; the odd value next to it names the same entry.
  for (ULONG_PTR value = 0x20; value < 0x10000; value += 2)
    if (IsWindow(reinterpret_cast<HWND>(value)) || IsMenu(reinterpret_cast<HMENU>(value)))
      ++count;
  return count;
}

struct Counts {
  DWORD handles = 0;
  DWORD gdiObjects = 0;
  DWORD userObjects = 0;
  DWORD probedHandles = 0;
  DWORD probedGdiObjects = 0;
  DWORD probedUserObjects = 0;
  DWORD heaps = 0;

  bool operator==(const Counts& o) const {
    return handles == o.handles && gdiObjects == o.gdiObjects && userObjects == o.userObjects &&
           probedHandles == o.probedHandles && probedGdiObjects == o.probedGdiObjects &&
           probedUserObjects == o.probedUserObjects && heaps == o.heaps;
  }
};

Counts Measure() {
  Counts counts;
  GetProcessHandleCount(GetCurrentProcess(), &counts.handles);
  counts.gdiObjects = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
  counts.userObjects = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
  counts.probedHandles = ProbeKernelHandles();
  counts.probedGdiObjects = ProbeGdiObjects();
  counts.probedUserObjects = ProbeUserObjects();
  counts.heaps = GetProcessHeaps(0, nullptr);
  return counts;
}

void Print(const char* what, const Counts& c) {
  std::printf("%-30s handles %lu/%lu probed, GDI %lu/%lu, USER %lu/%lu, heaps %lu\n", what,
              c.handles, c.probedHandles, c.gdiObjects, c.probedGdiObjects, c.userObjects,
              c.probedUserObjects, c.heaps);
}

TEST(Balance, TheCountsSeeOneHandleOneGdiAndOneUserObjectMore) {
  const Counts before = Measure();
  HANDLE event = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  HPEN pen = CreatePen(PS_SOLID, 1, RGB(1, 2, 3));
  HMENU menu = CreatePopupMenu();
  const Counts during = Measure();
  CloseHandle(event);
  DeleteObject(pen);
  DestroyMenu(menu);
  const Counts after = Measure();
  Print("probe check, before:", before);
  Print("probe check, with three more:", during);
  EXPECT_EQ(during.probedHandles, before.probedHandles + 1);
  EXPECT_EQ(during.probedGdiObjects, before.probedGdiObjects + 1);
  EXPECT_EQ(during.probedUserObjects, before.probedUserObjects + 1);
  EXPECT_TRUE(after == before);
}

// Corvane.dll loaded by this test alone, by its full path, as the shell loads it.
class LoadedCorvane {
public:
  LoadedCorvane() : module_(LoadLibraryA((BinDir() + "Corvane.dll").c_str())) {
    if (module_ != nullptr) {
      getClassObject_ = reinterpret_cast<GetClassObjectFunction>(
          reinterpret_cast<void (*)()>(GetProcAddress(module_, "DllGetClassObject")));
      canUnloadNow_ = reinterpret_cast<CanUnloadNowFunction>(
          reinterpret_cast<void (*)()>(GetProcAddress(module_, "DllCanUnloadNow")));
    }
  }
  ~LoadedCorvane() { Unload(); }
  LoadedCorvane(const LoadedCorvane&) = delete;
  LoadedCorvane& operator=(const LoadedCorvane&) = delete;

  bool Loaded() const { return getClassObject_ != nullptr && canUnloadNow_ != nullptr; }
  bool CanUnloadNow() const { return canUnloadNow_() == S_OK; }
  void Unload() {
    if (module_ != nullptr)
      FreeLibrary(module_);
    module_ = nullptr;
  }

  // One use as Explorer makes it when the user right-clicks a selection and reads the help texts.
  // False at the first step that fails.
  bool Cycle(const std::vector<std::string>& selection) const {
    ComPtr<IClassFactory> factory;
    if (FAILED(getClassObject_(CLSID_CorvaneShell, IID_IClassFactory, factory.ReceiveVoid())))
      return false;
    ComPtr<IShellExtInit> init;
    if (FAILED(factory->CreateInstance(nullptr, IID_IShellExtInit, init.ReceiveVoid())))
      return false;
    factory.Reset();
    ComPtr<IDataObject> data;
    *data.Receive() = HDropDataObject::Create(selection);
    if (init->Initialize(nullptr, data.Get(), nullptr) != S_OK)
      return false;
    ComPtr<IContextMenu> menu;
    if (FAILED(init->QueryInterface(IID_IContextMenu, menu.ReceiveVoid())))
      return false;
    HMENU contextMenu = CreatePopupMenu();
    const HRESULT added = menu->QueryContextMenu(contextMenu, 0, 100, 200, CMF_NORMAL);
    bool ok = added == MAKE_HRESULT(SEVERITY_SUCCESS, 0, 4);
    for (UINT_PTR offset = 0; offset < 4 && ok; ++offset) {
      char help[64] = {};
      ok = menu->GetCommandString(offset, GCS_HELPTEXTA, nullptr, help, sizeof help) == S_OK &&
           help[0] != '\0';
    }
    // The submenu belongs to the context menu and goes with it.
    DestroyMenu(contextMenu);
    return ok;
  }

private:
  HMODULE module_;
  GetClassObjectFunction getClassObject_ = nullptr;
  CanUnloadNowFunction canUnloadNow_ = nullptr;
};

const std::vector<std::string> kSelection = {"C:\\dir\\a.txt", "C:\\dir\\b c.bin",
                                             "D:\\x\\caf\xe9.dat"};

TEST(Balance, TenThousandMenuCyclesLeaveNoLockHandleOrWindowObjectBehind) {
  LoadedCorvane corvane;
  ASSERT_TRUE(corvane.Loaded());
  ASSERT_TRUE(corvane.Cycle(kSelection)); // warm-up: first-use allocations of the platform
  ASSERT_TRUE(corvane.CanUnloadNow());
  const Counts before = Measure();
  int failedAt = -1;
  for (int i = 0; i < 10000 && failedAt < 0; ++i)
    if (!corvane.Cycle(kSelection))
      failedAt = i;
  const Counts after = Measure();
  Print("menu cycles, after warm-up:", before);
  Print("menu cycles, after 10,000:", after);
  EXPECT_EQ(failedAt, -1);
  EXPECT_TRUE(corvane.CanUnloadNow()) << "a lock was left behind";
  EXPECT_TRUE(after == before) << "handles, window objects or heaps were left behind";
}

TEST(Balance, TheModulesPrivateHeapLivesFromLoadToUnload) {
  const DWORD beforeLoad = GetProcessHeaps(0, nullptr);
  {
    LoadedCorvane corvane;
    ASSERT_TRUE(corvane.Loaded());
    const DWORD loaded = GetProcessHeaps(0, nullptr);
    ASSERT_TRUE(corvane.Cycle(kSelection));
    const DWORD afterObject = GetProcessHeaps(0, nullptr);
    std::printf("heaps: before load %lu, loaded %lu, after an object %lu\n", beforeLoad, loaded,
                afterObject);
    EXPECT_EQ(loaded, beforeLoad + 1) << "module start creates exactly one heap";
    EXPECT_EQ(afterObject, loaded) << "an object made a heap of its own";
  }
  const DWORD afterUnload = GetProcessHeaps(0, nullptr);
  std::printf("heaps: after FreeLibrary %lu\n", afterUnload);
  EXPECT_EQ(afterUnload, beforeLoad) << "the private heap outlived the module";
}

// One MD5 command as the shell extension runs it: load Hash.dll, hash one small file, the user
// closes the results window, unload. False when the results window never came.
bool HashCommand(const std::string& path) {
  bool closed = false;
  {
    HashModule module;
    if (!module.Loaded())
      return false;
    module.Run(path.c_str(), 0, [&](DWORD thread) {
      HWND results = WaitForDialog(thread, kProductTitle);
      if (results != nullptr) {
        closed = true;
        Click(results, IDOK);
      }
    });
  }
  return closed && GetModuleHandleA("Hash.dll") == nullptr;
}

TEST(Balance, AHundredHashCommandsLeaveNoHandleOrWindowObjectBehind) {
  TempFolder folder;
  const std::string path = folder.Write("small.txt", "abc");
  // Explorer has the common dialogs loaded for good. Loaded and unloaded with Hash.dll, they take
  // Wine's print spooler with them, which leaves one mutex handle behind per unload.
  ScopedModule commonDialogs(LoadLibraryA("comdlg32.dll"));
  ASSERT_TRUE(HashCommand(path)); // warm-up: the rich-text and common-control libraries stay
  const Counts before = Measure();
  int failedAt = -1;
  for (int i = 0; i < 100 && failedAt < 0; ++i)
    if (!HashCommand(path))
      failedAt = i;
  const Counts after = Measure();
  Print("Hash commands, after warm-up:", before);
  Print("Hash commands, after 100:", after);
  EXPECT_EQ(failedAt, -1);
  EXPECT_TRUE(after == before) << "handles, window objects or heaps were left behind";
}

} // namespace
} // namespace corvane::test
