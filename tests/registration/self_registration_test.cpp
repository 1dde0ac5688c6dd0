#include <gtest/gtest.h>

#include <objbase.h>
#include <oleauto.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "common/com_identifiers.h"
#include "shell/dll/identifiers.h"
#include "tests/common/registered_class_tree.h"
#include "tests/common/temp_folder.h"
#include "tests/registration/registry_dump.h"
#include "tests/support/programs.h"
#include "win32/scoped.h"

namespace corvane::test {
namespace {

const std::string kClassKey = std::string("CLSID\\") + kCorvaneShellClassId;
// The library is registered under its own locale.
constexpr LCID kLibraryLocale = 0x0409;

std::string BuiltDll() {
  return BinDir() + "Corvane.dll";
}

// Everything the registration script writes, read back from the classes root.
Lines ClassTree() {
  Lines lines;
  for (const char* path : {"Tamsel.TamselShell.1", "Tamsel.TamselShell", kClassKey.c_str()}) {
    const Lines part = DumpKey(HKEY_CLASSES_ROOT, "HKCR", path);
    lines.insert(lines.end(), part.begin(), part.end());
  }
  std::sort(lines.begin(), lines.end());
  return lines;
}

bool TypeLibRegistered() {
  ComPtr<ITypeLib> typeLib;
  return SUCCEEDED(LoadRegTypeLib(LIBID_CORVANELib, 1, 0, kLibraryLocale, typeLib.Receive()));
}

std::string RegisteredTypeLibPath() {
  BSTR path = nullptr;
  if (FAILED(QueryPathOfRegTypeLib(LIBID_CORVANELib, 1, 0, kLibraryLocale, &path))) {
    return "";
  }
  char text[MAX_PATH * 2] = {};
  WideCharToMultiByte(CP_ACP, 0, path, -1, text, sizeof text, nullptr, nullptr);
  SysFreeString(path);
  return text;
}

// One loaded copy of the shell extension and its registration exports.
class LoadedServer {
public:
  explicit LoadedServer(const std::string& path) : module_(LoadLibraryA(path.c_str())) {
    if (module_) {
      register_ = reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(
          reinterpret_cast<void*>(GetProcAddress(module_.Get(), "DllRegisterServer")));
      unregister_ = reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(
          reinterpret_cast<void*>(GetProcAddress(module_.Get(), "DllUnregisterServer")));
    }
  }
  bool Loaded() const { return register_ != nullptr && unregister_ != nullptr; }
  HRESULT Register() const { return register_(); }
  HRESULT Unregister() const { return unregister_(); }

private:
  ScopedModule module_;
  HRESULT(STDAPICALLTYPE* register_)() = nullptr;
  HRESULT(STDAPICALLTYPE* unregister_)() = nullptr;
};

// The exit code of regsvr32; 0xFFFFFFFF when it could not be run or did not end in time.
DWORD RunRegsvr32(const std::string& arguments) {
  return static_cast<DWORD>(RunCommandLine("regsvr32.exe " + arguments));
}

class SelfRegistration : public ::testing::Test {
protected:
  void SetUp() override {
    // Whatever an earlier run left behind goes first.
    LoadedServer server(BuiltDll());
    ASSERT_TRUE(server.Loaded()) << BuiltDll();
    ASSERT_EQ(server.Unregister(), S_OK);
    RegDeleteKeyA(HKEY_CLASSES_ROOT, "CLSID\\{6B0F4A10-0000-0000-0000-0000000000AA}");
    ASSERT_EQ(ClassTree(), Lines{});
  }
  void TearDown() override {
    LoadedServer server(BuiltDll());
    if (server.Loaded()) {
      server.Unregister();
    }
    RegDeleteKeyA(HKEY_CLASSES_ROOT, "CLSID\\{6B0F4A10-0000-0000-0000-0000000000AA}");
  }
};

TEST_F(SelfRegistration, Regsvr32WritesTheClassTreeAndTheTypeLibraryAndRemovesThemAgain) {
  const std::string dll = BuiltDll();
  ASSERT_EQ(RunRegsvr32("/s \"" + dll + "\""), 0u);
  EXPECT_EQ(ClassTree(), RegisteredClassTree(dll));
  EXPECT_TRUE(TypeLibRegistered());
  EXPECT_EQ(RegisteredTypeLibPath(), dll);

  ASSERT_EQ(RunRegsvr32("/u /s \"" + dll + "\""), 0u);
  EXPECT_EQ(ClassTree(), Lines{});
  EXPECT_FALSE(TypeLibRegistered());
  EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, "CLSID"));
}

TEST_F(SelfRegistration, RegisteringTwiceLeavesNoStrayKeysBelowTheClass) {
  LoadedServer server(BuiltDll());
  ASSERT_EQ(server.Register(), S_OK);
  for (const std::string& stray : {kClassKey + "\\Stray", kClassKey + "\\Programmable\\Stray"}) {
    ScopedRegKey key;
    ASSERT_EQ(RegCreateKeyA(HKEY_CLASSES_ROOT, stray.c_str(), key.Receive()), ERROR_SUCCESS);
  }
  ASSERT_EQ(server.Register(), S_OK);
  EXPECT_EQ(ClassTree(), RegisteredClassTree(BuiltDll()));
}

TEST_F(SelfRegistration, UnregisteringRemovesProgIdsAndClassButKeepsClsidAndOtherClasses) {
  const std::string other = "CLSID\\{6B0F4A10-0000-0000-0000-0000000000AA}";
  ASSERT_EQ(RegSetValueA(HKEY_CLASSES_ROOT, other.c_str(), REG_SZ, "other", 5), ERROR_SUCCESS);
  const Lines clsidBefore = SubkeyNames(HKEY_CLASSES_ROOT, "CLSID");
  LoadedServer server(BuiltDll());
  ASSERT_EQ(server.Register(), S_OK);
  ASSERT_EQ(server.Unregister(), S_OK);
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "Tamsel.TamselShell.1"));
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "Tamsel.TamselShell"));
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kClassKey.c_str()));
  EXPECT_EQ(ReadString(HKEY_CLASSES_ROOT, other, nullptr), "other");
  EXPECT_EQ(SubkeyNames(HKEY_CLASSES_ROOT, "CLSID"), clsidBefore);
}

TEST_F(SelfRegistration, UnregisteringWithNothingRegisteredChangesNothing) {
  const Lines clsidBefore = SubkeyNames(HKEY_CLASSES_ROOT, "CLSID");
  const Lines rootBefore = SubkeyNames(HKEY_CLASSES_ROOT, "");
  const Lines typeLibsBefore = SubkeyNames(HKEY_CLASSES_ROOT, "TypeLib");
  LoadedServer server(BuiltDll());
  EXPECT_EQ(server.Unregister(), S_OK);
  EXPECT_EQ(SubkeyNames(HKEY_CLASSES_ROOT, "CLSID"), clsidBefore);
  EXPECT_EQ(SubkeyNames(HKEY_CLASSES_ROOT, ""), rootBefore);
  EXPECT_EQ(SubkeyNames(HKEY_CLASSES_ROOT, "TypeLib"), typeLibsBefore);
}

TEST_F(SelfRegistration, ModulePathWithSingleQuoteIsWrittenAsItIs) {
  const TempFolder temp;
  const std::string folder = temp.Path("Tam's Corvane");
  ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
  const std::string copy = folder + "\\Corvane.dll";
  ASSERT_TRUE(CopyFileA(BuiltDll().c_str(), copy.c_str(), FALSE));
  {
    LoadedServer server(copy);
    ASSERT_TRUE(server.Loaded());
    ASSERT_EQ(server.Register(), S_OK);
    EXPECT_EQ(ClassTree(), RegisteredClassTree(copy));
    EXPECT_EQ(RegisteredTypeLibPath(), copy);
    EXPECT_EQ(server.Unregister(), S_OK);
  }
  EXPECT_EQ(ClassTree(), Lines{});
}

TEST_F(SelfRegistration, TypeLibraryFallsBackToTheTlbFileBesideTheModule) {
  const TempFolder folder;
  const std::string copy = folder.Path("Corvane.dll");
  const std::string tlb = folder.Path("Corvane.tlb");
  ASSERT_TRUE(CopyFileA(BuiltDll().c_str(), copy.c_str(), FALSE));

  // Take the type library out of the copy and keep its bytes.
  std::string typeLibBytes;
  {
    ScopedModule data(LoadLibraryExA(BuiltDll().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    HRSRC found = FindResourceA(data.Get(), MAKEINTRESOURCEA(1), "TYPELIB");
    ASSERT_NE(found, nullptr);
    const char* bytes = static_cast<const char*>(LockResource(LoadResource(data.Get(), found)));
    typeLibBytes.assign(bytes, SizeofResource(data.Get(), found));
  }
  // Rename the resource type in the copy's resource directory, where names are UTF-16.
  {
    HANDLE file = CreateFileA(copy.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    std::string image(GetFileSize(file, nullptr), '\0');
    DWORD done = 0;
    ReadFile(file, image.data(), static_cast<DWORD>(image.size()), &done, nullptr);
    const std::string name("T\0Y\0P\0E\0L\0I\0B\0", 14);
    std::size_t renamed = 0;
    for (std::size_t at = image.find(name); at != std::string::npos; at = image.find(name, at)) {
      image[at + 12] = 'X';
      ++renamed;
    }
    ASSERT_EQ(renamed, 1u);
    SetFilePointer(file, 0, nullptr, FILE_BEGIN);
    WriteFile(file, image.data(), static_cast<DWORD>(image.size()), &done, nullptr);
    CloseHandle(file);
    ScopedModule data(LoadLibraryExA(copy.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    ASSERT_TRUE(data);
    ASSERT_EQ(FindResourceA(data.Get(), MAKEINTRESOURCEA(1), "TYPELIB"), nullptr);
  }

  {
    LoadedServer server(copy);
    ASSERT_TRUE(server.Loaded());
    // No library anywhere: the script is registered, the library is not, and the call says so.
    EXPECT_TRUE(FAILED(server.Register()));
    EXPECT_FALSE(TypeLibRegistered());
    EXPECT_EQ(ReadString(HKEY_CLASSES_ROOT, kClassKey + "\\InprocServer32", nullptr), copy);

    HANDLE file = CreateFileA(tlb.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(file, typeLibBytes.data(), static_cast<DWORD>(typeLibBytes.size()), &written,
              nullptr);
    CloseHandle(file);
    ASSERT_EQ(written, typeLibBytes.size());

    ASSERT_EQ(server.Register(), S_OK);
    EXPECT_EQ(RegisteredTypeLibPath(), tlb);
    EXPECT_EQ(server.Unregister(), S_OK);
    EXPECT_FALSE(TypeLibRegistered());
  }
  EXPECT_EQ(ClassTree(), Lines{});
}

} // namespace
} // namespace corvane::test
