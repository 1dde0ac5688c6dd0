// Bad input at the shell extension's boundary: null pointers to every COM method that takes one,
// and drop data that lies about itself. Each gets a clear answer; none crashes or changes the
// selection.
#include <windows.h>

#include <oleauto.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "shell/dll/identifiers.h"
#include "tests/support/shell_host.h"
#include "tools/explorer/hdrop_data_object.h"

namespace corvane::test {
namespace {

std::vector<char> Header(DWORD pFiles, BOOL wide) {
  std::vector<char> block(sizeof(DROPFILES));
  auto* header = reinterpret_cast<DROPFILES*>(block.data());
  header->pFiles = pFiles;
  header->fWide = wide;
  return block;
}

void Append(std::vector<char>& block, const std::string& bytes) {
  block.insert(block.end(), bytes.begin(), bytes.end());
}

HRESULT InitializeWithBlock(IContextMenu* menu, const std::vector<char>& block) {
  ComPtr<IDataObject> data;
  *data.Receive() = HDropDataObject::FromBlock(std::string(block.begin(), block.end()));
  return InitializeWithData(menu, data.Get());
}

TEST(ComBoundaries, NullPointersAreRefusedWithAClearResult) {
  const CorvaneDll& dll = Corvane();
  ASSERT_NE(dll.getClassObject, nullptr);
  EXPECT_EQ(E_POINTER, dll.getClassObject(CLSID_CorvaneShell, IID_IClassFactory, nullptr));
  {
    ComPtr<IClassFactory> factory;
    ASSERT_EQ(S_OK,
              dll.getClassObject(CLSID_CorvaneShell, IID_IClassFactory, factory.ReceiveVoid()));
    EXPECT_EQ(E_POINTER, factory->QueryInterface(IID_IUnknown, nullptr));
    EXPECT_EQ(E_POINTER, factory->CreateInstance(nullptr, IID_IContextMenu, nullptr));

    ComPtr<IContextMenu> menu;
    ASSERT_EQ(S_OK, factory->CreateInstance(nullptr, IID_IContextMenu, menu.ReceiveVoid()));
    EXPECT_EQ(E_POINTER, menu->QueryInterface(IID_IShellExtInit, nullptr));
    ComPtr<IShellExtInit> init;
    ASSERT_EQ(S_OK, menu->QueryInterface(IID_IShellExtInit, init.ReceiveVoid()));
    EXPECT_EQ(S_OK, init->Initialize(nullptr, nullptr, nullptr));
    EXPECT_EQ(E_INVALIDARG, menu->QueryContextMenu(nullptr, 0, 1, 10, CMF_NORMAL));
    EXPECT_EQ(E_INVALIDARG, menu->GetCommandString(0, GCS_HELPTEXTA, nullptr, nullptr, 10));
    EXPECT_EQ(E_INVALIDARG, menu->GetCommandString(0, GCS_HELPTEXTW, nullptr, nullptr, 10));
    char none[1] = {'x'};
    EXPECT_EQ(E_INVALIDARG, menu->GetCommandString(0, GCS_HELPTEXTA, nullptr, none, 0));
    EXPECT_EQ('x', none[0]);
    EXPECT_EQ(E_INVALIDARG, menu->InvokeCommand(nullptr));

    ComPtr<IDispatch> dispatch;
    ASSERT_EQ(S_OK, menu->QueryInterface(IID_IDispatch, dispatch.ReceiveVoid()));
    EXPECT_EQ(E_INVALIDARG, dispatch->GetTypeInfoCount(nullptr));
    EXPECT_EQ(E_POINTER, dispatch->GetTypeInfo(0, 0, nullptr));
    DISPID id = 0;
    EXPECT_EQ(E_INVALIDARG, dispatch->GetIDsOfNames(IID_NULL, nullptr, 1, 0, &id));
    wchar_t name[] = L"Anything";
    LPOLESTR names[] = {name};
    EXPECT_EQ(E_POINTER, dispatch->GetIDsOfNames(IID_NULL, names, 1, 0, nullptr));
    EXPECT_EQ(E_INVALIDARG, dispatch->Invoke(0, IID_NULL, 0, DISPATCH_METHOD, nullptr, nullptr,
                                             nullptr, nullptr));
  }
  EXPECT_EQ(S_OK, dll.canUnloadNow()) << "a refusal left a lock behind";
}

TEST(ComBoundaries, DropDataThatLiesAboutItselfLeavesTheSelectionAsItWas) {
  HashModuleValue value;
  value.SetPath(StandInPath());
  StandInRecorder recorder;
  ComPtr<IContextMenu> menu = CreateContextMenu();
  ASSERT_NE(menu.Get(), nullptr);
  ASSERT_EQ(S_OK, InitializeWith(menu.Get(), {"C:\\kept.txt"}));

  struct Case {
    const char* what;
    std::vector<char> block;
  };
  std::vector<Case> cases;
  cases.push_back({"empty block", {}});
  cases.push_back({"shorter than its header", std::vector<char>(sizeof(DROPFILES) - 1, 1)});
  {
    std::vector<char> block = Header(0x7FFFFFF0, FALSE);
    Append(block, std::string("C:\\a.txt\0\0", 10));
    cases.push_back({"names start past the end", block});
  }
  {
    std::vector<char> block = Header(sizeof(DROPFILES) + 10, FALSE);
    Append(block, std::string("C:\\a\0\0", 6));
    cases.push_back({"names start inside the block but the block is shorter than claimed", block});
  }
  {
    std::vector<char> block = Header(4, FALSE);
    Append(block, std::string("C:\\a.txt\0\0", 10));
    cases.push_back({"names start inside the header", block});
  }
  {
    std::vector<char> block = Header(sizeof(DROPFILES), FALSE);
    Append(block, std::string("C:\\a.txt\0C:\\b.txt", 17));
    cases.push_back({"no terminating NUL at all", block});
  }
  {
    std::vector<char> block = Header(sizeof(DROPFILES), FALSE);
    Append(block, std::string("C:\\a.txt\0C:\\b.txt\0", 18));
    cases.push_back({"no empty name after the last", block});
  }
  {
    std::vector<char> block = Header(sizeof(DROPFILES), TRUE);
    Append(block, std::string("C\0:\0\\\0a\0\0\0b\0", 13));
    cases.push_back({"wide names without their end", block});
  }
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(S_OK, InitializeWithBlock(menu.Get(), c.block));
    EXPECT_EQ(S_OK, InvokeByOffset(menu.Get(), 0));
    const HashCall call = recorder.Take();
    EXPECT_TRUE(call.called);
    EXPECT_EQ("C:\\kept.txt", call.list);
    // The command cut the list's last line feed; a fresh selection puts it back.
    ASSERT_EQ(S_OK, InitializeWith(menu.Get(), {"C:\\kept.txt"}));
  }

  // Sound wide names are still taken.
  std::vector<char> wide = Header(sizeof(DROPFILES), TRUE);
  Append(wide, std::string("C\0:\0\\\0w\0\0\0\0\0", 12));
  EXPECT_EQ(S_OK, InitializeWithBlock(menu.Get(), wide));
  EXPECT_EQ(S_OK, InvokeByOffset(menu.Get(), 1));
  EXPECT_EQ("C:\\w", recorder.Take().list);
}

} // namespace
} // namespace corvane::test
