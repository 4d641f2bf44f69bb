#include "ui/settings/ini_text.h"

#include <gtest/gtest.h>

namespace {

using ui::TIniText;

TEST(IniText, OnlyKeyLinesOfTheSectionCount) {
  const TIniText ini(
      "Name=outside\n[A]\n; Name=comment\n# Name=comment\n=no key\nno equals\n[B]\nName=b\n");
  EXPECT_FALSE(ini.HasSection("A"));
  EXPECT_FALSE(ini.Find("A", "Name"));
  EXPECT_FALSE(ini.Find("", "Name"));
  EXPECT_EQ(ini.Find("B", "Name"), "b");
}

TEST(IniText, ARepeatedSectionIsReadAndWrittenAtTheSameKey) {
  TIniText ini("[A]\nx=1\n[B]\n[a]\nName=second\n");
  EXPECT_EQ(ini.Find("A", "Name"), "second");
  ASSERT_TRUE(ini.Set("A", "Name", "new"));
  ASSERT_TRUE(ini.Set("A", "y", "2"));
  EXPECT_EQ(ini.Text(), "[A]\nx=1\ny=2\n[B]\n[a]\nName=new\n");
}

TEST(IniText, ByteOrderMarkAndMissingFinalLineEnd) {
  TIniText ini("\xEF\xBB\xBF[PortName]\nName=COM3");
  EXPECT_EQ(ini.Find("PortName", "Name"), "COM3");
  ASSERT_TRUE(ini.Set("PortName", "Other", "1"));
  EXPECT_EQ(ini.Text(), "\xEF\xBB\xBF[PortName]\nName=COM3\nOther=1\n");
}

// A write changes only its own line: a last line whose text ends in a lone CR keeps it.
TEST(IniText, ALoneCarriageReturnAtTheEndStaysPartOfItsLine) {
  for (const char* text : {"[PortName]\nName=COM3\r", "[PortName]\r\nName=COM3\r"}) {
    SCOPED_TRACE(text);
    TIniText ini(text);
    const auto before = ini.Find("PortName", "Name");
    ASSERT_TRUE(ini.Set("FileName", "Name", "app.hex"));
    const TIniText again(ini.Text());
    EXPECT_EQ(again.Find("PortName", "Name"), before);
    EXPECT_EQ(again.Find("FileName", "Name"), "app.hex");
  }
}

}  // namespace
