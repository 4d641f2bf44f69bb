// The installer's PATH editing: whatever the PATH holds, adding our folder and removing it again
// gives back the same text, and nothing but our entry is ever removed.
#include <gtest/gtest.h>

#include "path_list.h"

namespace {

using pathlist::Contains;
using pathlist::WithEntry;
using pathlist::WithoutEntry;

const std::wstring kOurs = L"C:\\Program Files\\Zagruzchik";

TEST(PathList, AddingThenRemovingGivesBackTheSameTextOfAnyLength) {
  std::wstring long4000;
  for (int i = 0; long4000.size() < 4000; ++i)
    long4000 += L"C:\\Tools\\Кириллица\\Folder" + std::to_wstring(i) + L";";
  long4000.resize(4000);
  for (const std::wstring& before :
       {std::wstring(), std::wstring(L"C:\\Windows"), std::wstring(L"C:\\A;C:\\B;"),
        std::wstring(L";C:\\A;;C:\\B"),
        std::wstring(L"%SystemRoot%\\system32;C:\\Program Files\\Zagruzchik2"), long4000}) {
    SCOPED_TRACE(before.size());
    ASSERT_FALSE(Contains(before, kOurs));
    const std::wstring installed = WithEntry(before, kOurs);
    EXPECT_TRUE(Contains(installed, kOurs));
    EXPECT_EQ(installed.size(), before.size() + kOurs.size() + (before.empty() ? 0 : 1));
    EXPECT_EQ(WithoutEntry(installed, kOurs), before);
  }
}

TEST(PathList, OnlyEntriesNamingTheFolderGoLetterCaseAndATrailingBackslashAside) {
  // Merely starting with our folder's text, or inside another entry, is another folder.
  const std::wstring others =
      L"C:\\Program Files\\Zagruzchik2;D:\\C:\\Program Files\\Zagruzchik;C:\\Program "
      L"Files\\Zagruzchik\\bin";
  EXPECT_FALSE(Contains(others, kOurs));
  EXPECT_EQ(WithoutEntry(others, kOurs), others);
  EXPECT_EQ(WithoutEntry(L"c:\\program files\\zagruzchik\\;C:\\X", kOurs), L"C:\\X");
  EXPECT_EQ(WithoutEntry(L"C:\\X;" + kOurs + L";C:\\Y;" + kOurs, kOurs), L"C:\\X;C:\\Y");
  EXPECT_EQ(WithoutEntry(kOurs, kOurs), L"");
  // An empty folder names nothing.
  EXPECT_FALSE(Contains(L";C:\\X", L""));
  EXPECT_EQ(WithoutEntry(L";C:\\X", L""), L";C:\\X");
}

}  // namespace
