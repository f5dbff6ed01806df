#include <gtest/gtest.h>

#include "ui/AnsiString.h"

TEST(AnsiString, SubStringIsOneBasedAndClipped) {
  AnsiString s("abcdef");
  EXPECT_EQ(s.SubString(1, 3), AnsiString("abc"));
  EXPECT_EQ(s.SubString(4, 10), AnsiString("def"));
  EXPECT_TRUE(s.SubString(7, 1).IsEmpty());
  EXPECT_EQ(s[1], 'a');
}

TEST(AnsiString, ChineseLiteralsAreCodePage936Bytes) {
  AnsiString title("MURAVA电台");
  ASSERT_EQ(title.Length(), 10);
  EXPECT_EQ(static_cast<unsigned char>(title[7]), 0xB5);
  EXPECT_EQ(static_cast<unsigned char>(title[8]), 0xE7);
  EXPECT_EQ(static_cast<unsigned char>(title[9]), 0xCC);
  EXPECT_EQ(static_cast<unsigned char>(title[10]), 0xA8);
}
