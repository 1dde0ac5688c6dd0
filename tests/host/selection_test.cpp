// The selection the host hands to the handler: full UTF-16 paths in a CF_HDROP data object.
#include <windows.h>

#include <shellapi.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tests/common/temp_folder.h"
#include "tools/explorer/context_menu_host.h"
#include "tools/explorer/hdrop_data_object.h"
#include "win32/scoped.h"

namespace corvane {
namespace {

std::vector<std::wstring> DroppedPaths(IDataObject* selection) {
  FORMATETC format = {CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  ScopedStgMedium medium;
  EXPECT_EQ(selection->GetData(&format, medium.Receive()), S_OK);
  EXPECT_EQ(medium.Get().tymed, static_cast<DWORD>(TYMED_HGLOBAL));
  ScopedGlobalLock lock(medium.Get().hGlobal);
  auto drop = static_cast<HDROP>(lock.Get());
  EXPECT_TRUE(static_cast<const DROPFILES*>(lock.Get())->fWide);
  std::vector<std::wstring> paths;
  const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
  for (UINT i = 0; i < count; ++i) {
    wchar_t path[MAX_PATH] = {};
    DragQueryFileW(drop, i, path, MAX_PATH);
    paths.emplace_back(path);
  }
  return paths;
}

TEST(SelectionTest, DataObjectServesThePathsInOrderAsOftenAsAsked) {
  const std::vector<std::wstring> paths = {L"C:\\data\\b.txt", L"C:\\данные\\a b.txt",
                                           L"Z:\\tmp\\数据.bin"};
  ComPtr<IDataObject> selection;
  *selection.Receive() = HDropDataObject::Create(paths);
  ASSERT_TRUE(selection);
  // Every request gets its own block; releasing one leaves the next intact.
  EXPECT_EQ(DroppedPaths(selection.Get()), paths);
  EXPECT_EQ(DroppedPaths(selection.Get()), paths);
}

TEST(SelectionTest, DataObjectRefusesWhatTheShellWouldNotAskFor) {
  ComPtr<IDataObject> selection;
  *selection.Receive() = HDropDataObject::Create({L"C:\\x.txt"});
  ASSERT_TRUE(selection);
  FORMATETC text = {CF_TEXT, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  FORMATETC stream = {CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_ISTREAM};
  FORMATETC drop = {CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  EXPECT_EQ(selection->QueryGetData(&text), DV_E_FORMATETC);
  EXPECT_EQ(selection->QueryGetData(&stream), DV_E_TYMED);
  EXPECT_EQ(selection->QueryGetData(&drop), S_OK);
  STGMEDIUM medium = {};
  EXPECT_EQ(selection->GetData(&text, &medium), DV_E_FORMATETC);
  EXPECT_EQ(selection->GetData(&drop, nullptr), E_INVALIDARG);
}

TEST(SelectionTest, FileNamesBecomeFullPathsAndMissingFilesAndFoldersAreRefused) {
  const test::TempFolder folder;
  const std::string file = folder.Path("present.txt");
  std::FILE* stream = std::fopen(file.c_str(), "wb");
  ASSERT_NE(stream, nullptr);
  std::fclose(stream);

  char previous[MAX_PATH] = {};
  GetCurrentDirectoryA(MAX_PATH, previous);
  SetCurrentDirectoryA(folder.Path().c_str());
  const std::wstring wideFile(file.begin(), file.end());
  std::vector<std::wstring> paths;
  std::string error;
  EXPECT_TRUE(MakeSelection({L"present.txt", wideFile}, paths, error)) << error;
  EXPECT_EQ(paths, (std::vector<std::wstring>{wideFile, wideFile}));
  EXPECT_FALSE(MakeSelection({L"present.txt", L"absent.txt"}, paths, error));
  EXPECT_EQ(error, "file not found: absent.txt");
  EXPECT_FALSE(MakeSelection({L"."}, paths, error));
  EXPECT_EQ(error, "not a file: .");
  EXPECT_FALSE(MakeSelection({std::wstring(300, L'x')}, paths, error));
  EXPECT_EQ(error.rfind("path too long", 0), 0u) << error;
  EXPECT_FALSE(MakeSelection({}, paths, error));
  SetCurrentDirectoryA(previous);
}

TEST(SelectionTest, CommandNamesMapToTheirMenuOffsets) {
  UINT offset = 99;
  EXPECT_TRUE(FindHostCommand("md5", offset));
  EXPECT_EQ(offset, 0u);
  EXPECT_TRUE(FindHostCommand("verify-sha1", offset));
  EXPECT_EQ(offset, 3u);
  EXPECT_FALSE(FindHostCommand("MD5", offset));
}

} // namespace
} // namespace corvane
