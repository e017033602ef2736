#include "sim/ini_file.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <fstream>
#include <string>

#include "support/temporary_folder.h"

namespace zen {
namespace {

std::string withCrlf(std::string_view lf) {
  std::string out;
  for (char c : lf) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

IniFile parsed(std::string_view text) {
  IniFile ini;
  ini.parse(text);
  return ini;
}

// A file as users edit it by hand: comments, odd spacing, foreign sections.
constexpr std::string_view kUserFile =
    "; settings\n"
    "# kept from an older version\n"
    "\n"
    "[General]\n"
    "  Port = 3 \n"
    "Speed=9600\n"
    "\tName =  Left panel\n"
    "\n"
    "[Sliders]\n"
    "Slider2=5\n"
    "Slider10=7\n"
    "Slider1=9\n"
    "\n"
    "[Unknown Tool]\n"
    "Garbage line without equals\n"
    "x=y=z\n";

TEST(IniFileTest, RoundTripKeepsEveryLineAndConvertsToCrlf) {
  EXPECT_EQ(parsed(kUserFile).text(), withCrlf(kUserFile));
  // Already CRLF, mixed and unterminated inputs all come out the same way.
  EXPECT_EQ(parsed(withCrlf(kUserFile)).text(), withCrlf(kUserFile));
  EXPECT_EQ(parsed("[A]\r\nx=1\ny=2").text(), "[A]\r\nx=1\r\ny=2\r\n");
  const IniFile crOnly = parsed("[A]\rx=1\r\r[B]\ry=2\r");
  EXPECT_EQ(crOnly.text(), "[A]\r\nx=1\r\n\r\n[B]\r\ny=2\r\n");
  EXPECT_EQ(crOnly.readInteger("B", "y", 0), 2);
  EXPECT_EQ(parsed("").text(), "");
  EXPECT_EQ(parsed("\n\n").text(), "\r\n\r\n");
}

TEST(IniFileTest, ByteOrderMarkIsKeptAndDoesNotHideFirstSection) {
  const IniFile ini = parsed("\xEF\xBB\xBF[General]\nPort=4\n");
  EXPECT_EQ(ini.readInteger("General", "Port", 0), 4);
  EXPECT_EQ(ini.text(), "\xEF\xBB\xBF[General]\r\nPort=4\r\n");
}

TEST(IniFileTest, LookupIgnoresCaseAndTrimsBlanks) {
  const IniFile ini = parsed(std::string(kUserFile) + "[general]\nport=99\n");
  struct Case {
    const char* section;
    const char* key;
    std::optional<std::string> expected;
  };
  const Case cases[] = {
      {"General", "Port", "3"},
      {"GENERAL", "port", "3"},  // the first of two matching sections wins
      {"general", "PORT", "3"},
      {"General", "Name", "Left panel"},
      {"sliders", "SLIDER10", "7"},
      {"Unknown Tool", "x", "y=z"},
      {"Unknown Tool", "Garbage line without equals", std::nullopt},
      {"General", "Slider2", std::nullopt},  // keys do not leak across sections
      {"Missing", "Port", std::nullopt},
      {"settings", "Port", std::nullopt},  // comments are not headers
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.section) + "/" + c.key);
    EXPECT_EQ(ini.readString(c.section, c.key), c.expected);
  }
}

TEST(IniFileTest, KeysBeforeAnySectionAreNotPartOfOne) {
  const IniFile ini = parsed("Port=1\n[General]\nSpeed=2\n");
  EXPECT_EQ(ini.readString("General", "Port"), std::nullopt);
  EXPECT_EQ(ini.readString("", "Port"), std::nullopt);
}

TEST(IniFileTest, ReadIntegerAcceptsOnlyPlainDecimals) {
  struct Case {
    const char* value;
    int expected;
  };
  const Case cases[] = {
      {"12", 12},
      {"  -7  ", -7},
      {"+5", 5},
      {"0", 0},
      {"2147483647", INT_MAX},
      {"-2147483648", INT_MIN},
      {"2147483648", -1},
      {"-2147483649", -1},
      {"99999999999999999999", -1},
      {"12abc", -1},
      {"1 2", -1},
      {"0x10", -1},
      {"", -1},
      {"+", -1},
      {"-", -1},
      {"+-3", -1},
      {"abc", -1},
      {"1.5", -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string("value '") + c.value + "'");
    EXPECT_EQ(parsed(std::string("[S]\nk=") + c.value + "\n").readInteger("S", "k", -1), c.expected);
  }
  EXPECT_EQ(parsed("[S]\n").readInteger("S", "k", 42), 42);
  EXPECT_EQ(parsed("").readInteger("S", "k", 42), 42);
}

TEST(IniFileTest, WritingAnExistingKeyChangesOnlyThatLine) {
  IniFile ini = parsed(kUserFile);
  ini.writeInteger("GENERAL", "port", 5);
  ini.writeString("sliders", "slider10", "");
  std::string expected = withCrlf(kUserFile);
  expected.replace(expected.find("  Port = 3 "), 11, "Port=5");
  expected.replace(expected.find("Slider10=7"), 10, "Slider10=");
  EXPECT_EQ(ini.text(), expected);
  EXPECT_EQ(ini.readInteger("General", "Port", 0), 5);
  EXPECT_EQ(ini.readString("Sliders", "Slider10"), "");
}

TEST(IniFileTest, NewKeyGoesBelowLastEntryOfItsSection) {
  IniFile ini = parsed(
      "[General]\n"
      "Port=3\n"
      "; about the sliders\n"
      "\n"
      "[Sliders]\n"
      "Slider2=5\n"
      "\n"
      "[Empty]\n"
      "; nothing yet\n");
  ini.writeInteger("general", "Speed", 9600);
  ini.writeInteger("Sliders", "Slider10", 1);
  ini.writeInteger("Sliders", "Slider3", 2);
  ini.writeString("EMPTY", "Note", "first");
  EXPECT_EQ(ini.text(), withCrlf("[General]\n"
                                 "Port=3\n"
                                 "Speed=9600\n"
                                 "; about the sliders\n"
                                 "\n"
                                 "[Sliders]\n"
                                 "Slider2=5\n"
                                 "Slider10=1\n"
                                 "Slider3=2\n"
                                 "\n"
                                 "[Empty]\n"
                                 "Note=first\n"
                                 "; nothing yet\n"));
}

TEST(IniFileTest, NewSectionIsAppendedAfterOneBlankLine) {
  struct Case {
    const char* before;
    const char* after;
  };
  const Case cases[] = {
      {"", "[New]\r\nKey=v\r\n"},
      {"[A]\nx=1", "[A]\r\nx=1\r\n\r\n[New]\r\nKey=v\r\n"},
      {"[A]\nx=1\n\n", "[A]\r\nx=1\r\n\r\n[New]\r\nKey=v\r\n"},
      {"; only a comment\n", "; only a comment\r\n\r\n[New]\r\nKey=v\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.before);
    IniFile ini = parsed(c.before);
    ini.writeString("New", "Key", "v");
    EXPECT_EQ(ini.text(), c.after);
  }
}

TEST(IniFileTest, WrittenValuesReadBackAndStayOnOneLine) {
  IniFile ini;
  ini.writeInteger("Numbers", "Low", INT_MIN);
  ini.writeString("Text", "Line", "first\r\nsecond");
  ini.writeString("Text", "Eq", "a=b");
  EXPECT_EQ(ini.readInteger("numbers", "low", 0), INT_MIN);
  EXPECT_EQ(ini.readString("Text", "Line"), "first");
  EXPECT_EQ(ini.readString("Text", "Eq"), "a=b");
  EXPECT_EQ(parsed(ini.text()).text(), ini.text());
}

class IniFileDiskTest : public ::testing::Test {
 protected:
  void put(const std::string& name, std::string_view content) {
    std::ofstream(dir_ / name, std::ios::binary) << content;
  }
  test::TemporaryFolder folder_;
  const std::filesystem::path dir_ = folder_.path();
};

TEST_F(IniFileDiskTest, SaveThenLoadKeepsContent) {
  put("SM.INI", kUserFile);
  IniFile ini;
  ASSERT_EQ(ini.load(dir_ / "SM.INI"), std::nullopt);
  ini.writeInteger("General", "Port", 8);
  ASSERT_EQ(ini.save(dir_ / "SM.INI"), std::nullopt);

  IniFile again;
  ASSERT_EQ(again.load(dir_ / "SM.INI"), std::nullopt);
  EXPECT_EQ(again.text(), ini.text());
  EXPECT_EQ(again.readInteger("General", "Port", 0), 8);
}

TEST_F(IniFileDiskTest, LoadTreatsMissingFileAsEmptyAndReportsErrors) {
  IniFile ini = parsed("[Old]\nx=1\n");
  EXPECT_EQ(ini.load(dir_ / "none.ini"), std::nullopt);
  EXPECT_EQ(ini.text(), "");
  EXPECT_EQ(ini.load(dir_), "Is a directory");
  put("huge.ini", std::string((1 << 20) + 1, 'x'));
  EXPECT_EQ(ini.load(dir_ / "huge.ini"), "File too large");
}

TEST_F(IniFileDiskTest, SaveReportsFailure) {
  IniFile ini = parsed("[A]\n");
  EXPECT_EQ(ini.save(dir_ / "no" / "SM.INI"), "No such file or directory");
}

TEST_F(IniFileDiskTest, FindFileNoCase) {
  put("SM.INI", "");
  put("Other.txt", "");
  EXPECT_EQ(findFileNoCase(dir_, "sm.ini"), dir_ / "SM.INI");
  EXPECT_EQ(findFileNoCase(dir_, "Sm.Ini"), dir_ / "SM.INI");
  EXPECT_EQ(findFileNoCase(dir_, "SM.INI"), dir_ / "SM.INI");
  EXPECT_EQ(findFileNoCase(dir_, "sm.in"), dir_ / "sm.in");
  EXPECT_EQ(findFileNoCase(dir_ / "absent", "sm.ini"), dir_ / "absent" / "sm.ini");

  // With several spellings present the exact one wins, else a stable choice.
  put("sm.ini", "");
  EXPECT_EQ(findFileNoCase(dir_, "sm.ini"), dir_ / "sm.ini");
  EXPECT_EQ(findFileNoCase(dir_, "SM.INI"), dir_ / "SM.INI");
  EXPECT_EQ(findFileNoCase(dir_, "Sm.ini"), dir_ / "SM.INI");
}

}  // namespace
}  // namespace zen
