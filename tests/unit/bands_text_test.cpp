// Command lines of the strip's entries: the browser from its registration, the built-in
// entries, bounded fields, the start folder and the program behind a command line.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "bands/command_text.h"

namespace {

using namespace bands;

TEST(BandsText, BrowserCommandKeepsTheQuotedProgramOrUnquotesItForOldShells) {
  const std::string reg = "\"C:\\Program Files\\Web\\browse.exe\" -nohome";
  EXPECT_EQ(browserCommand(reg, false), "\"C:\\Program Files\\Web\\browse.exe\"");
  EXPECT_EQ(browserCommand(reg, true), "C:\\Program Files\\Web\\browse.exe");
  // Cut after the last quote, wherever it is.
  EXPECT_EQ(browserCommand("\"C:\\b.exe\" \"%1\"", false), "\"C:\\b.exe\" \"%1\"");
  EXPECT_EQ(browserCommand("C:\\b.exe %1", false), "C:\\b.exe %1");
  EXPECT_EQ(browserCommand("", true), "");
  EXPECT_EQ(browserCommand("\"", true), "");
}

TEST(BandsText, BuiltInCommandLines) {
  EXPECT_EQ(webResourceCommand("\"C:\\b.exe\"", "C:\\Orvane"), "\"C:\\b.exe\" C:\\Orvane\\wbhome.html");
  EXPECT_EQ(learnPathCommand("C:\\Orvane"), "Winhlp32.exe C:\\Orvane\\Learnpath32.hlp");
  // Nothing registered: the parts are empty, the line still well formed.
  EXPECT_EQ(webResourceCommand("", ""), " \\wbhome.html");
}

TEST(BandsText, FieldsTakeWhatFitsWithItsTerminatorAndNothingLonger) {
  char field[kFieldSize];
  std::string fits(kFieldSize - 1, 'a');
  ASSERT_TRUE(setField(field, sizeof field, fits));
  EXPECT_EQ(fieldText(field), fits);
  // One more character: the field is left empty, never cut to another command.
  EXPECT_FALSE(setField(field, sizeof field, fits + "b"));
  EXPECT_EQ(fieldText(field), "");
  EXPECT_FALSE(setField(field, sizeof field, std::string("a\0b", 3)));

  // A field without a terminator is read up to its end and no further.
  char full[8];
  std::memset(full, 'x', sizeof full);
  EXPECT_EQ(fieldText(full, sizeof full), "xxxxxxxx");
  EXPECT_EQ(fieldText(nullptr), "");
}

TEST(BandsText, StartFolderIsTheTextBeforeTheLastBackslash) {
  EXPECT_EQ(startFolder("C:\\Tools\\app.exe"), "C:\\Tools");
  EXPECT_EQ(startFolder("Winhlp32.exe C:\\Orvane\\Learnpath32.hlp"), "Winhlp32.exe C:\\Orvane");
  EXPECT_EQ(startFolder("\"C:\\Web\\b.exe\""), "C:\\Web");
  EXPECT_EQ(startFolder("C:\\app.exe"), "C:\\");
  // No folder at all: the root, as documented.
  EXPECT_EQ(startFolder("notepad.exe"), "\\");
  EXPECT_EQ(startFolder("\\app.exe"), "\\");
  EXPECT_EQ(startFolder(""), "\\");
}

TEST(BandsText, ProgramCandidatesOfACommandLine) {
  EXPECT_EQ(programCandidates("\"C:\\Program Files\\b.exe\" C:\\x\\wbhome.html"),
            (std::vector<std::string>{"C:\\Program Files\\b.exe"}));
  EXPECT_EQ(programCandidates("C:\\Program Files\\b.exe C:\\x.html"),
            (std::vector<std::string>{"C:\\Program", "C:\\Program Files\\b.exe",
                                      "C:\\Program Files\\b.exe C:\\x.html"}));
  EXPECT_EQ(programCandidates("\"C:\\unclosed"), (std::vector<std::string>{"C:\\unclosed"}));
  EXPECT_TRUE(programCandidates("").empty());
}

TEST(BandsText, ProgramPathSplitsIntoFolderAndFile) {
  std::string folder, file;
  ASSERT_TRUE(splitProgramPath("C:\\Tools\\app.exe", &folder, &file));
  EXPECT_EQ(folder, "C:\\Tools");
  EXPECT_EQ(file, "app.exe");
  ASSERT_TRUE(splitProgramPath("C:\\app.exe", &folder, &file));
  EXPECT_EQ(folder, "C:\\");
  EXPECT_FALSE(splitProgramPath("app.exe", &folder, &file));
  EXPECT_FALSE(splitProgramPath("C:\\Tools\\", &folder, &file));
  EXPECT_TRUE(isBareFileName("my app.exe"));
  EXPECT_FALSE(isBareFileName("C:app.exe"));
  EXPECT_FALSE(isBareFileName("app.exe\""));
  EXPECT_FALSE(isBareFileName(""));
}

}  // namespace
