// Command lines of the strip's entries: the browser from its registration, the built-in
// entries, bounded fields, the start folder and the program behind a command line.
#include <gtest/gtest.h>

#include <algorithm>
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
  EXPECT_EQ(webResourceCommand("\"C:\\b.exe\"", "C:\\Orvane"),
            "\"C:\\b.exe\" \"C:\\Orvane\\wbhome.html\"");
  EXPECT_EQ(learnPathCommand("C:\\Orvane"), "Winhlp32.exe \"C:\\Orvane\\Learnpath32.hlp\"");
  // The install folder's blanks stay inside one argument.
  EXPECT_EQ(commandParts(learnPathCommand("C:\\Program Files\\Orvane 6.0")),
            (std::vector<std::string>{"Winhlp32.exe", "C:\\Program Files\\Orvane 6.0\\Learnpath32.hlp"}));
  // Nothing registered: the parts are empty, the line still well formed.
  EXPECT_EQ(webResourceCommand("", ""), " \"\\wbhome.html\"");
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

TEST(BandsText, StartFolderIsTheFolderOfTheLastPartWithABackslash) {
  EXPECT_EQ(startFolder("C:\\Tools\\app.exe"), "C:\\Tools");
  EXPECT_EQ(startFolder("Winhlp32.exe C:\\Orvane\\Learnpath32.hlp"), "C:\\Orvane");
  EXPECT_EQ(startFolder("\"C:\\Web\\b.exe\""), "C:\\Web");
  EXPECT_EQ(startFolder("\"C:\\Program Files\\Web\\b.exe\" \"C:\\Program Files\\Orvane 6.0\\wbhome.html\""),
            "C:\\Program Files\\Orvane 6.0");
  EXPECT_EQ(startFolder("\"C:\\Program Files\\A\\tool.exe\" -x"), "C:\\Program Files\\A");
  EXPECT_EQ(startFolder("C:\\app.exe"), "C:\\");
  // No folder at all: the root, as documented.
  EXPECT_EQ(startFolder("notepad.exe"), "\\");
  EXPECT_EQ(startFolder("\\app.exe"), "\\");
  EXPECT_EQ(startFolder(""), "\\");
}

TEST(BandsText, ProcessCommandQuotesTheLongestPrefixThatIsAFile) {
  const std::vector<std::string> files = {"C:\\Program.exe", "C:\\Program", "C:\\Program Files\\A\\b.exe",
                                          "C:\\Program Files\\A\\b c.exe", "C:\\Web\\w.exe"};
  auto isFile = [&](const std::string& path) {
    return std::find(files.begin(), files.end(), path) != files.end();
  };
  // The whole path, though shorter prefixes are files too.
  ProcessCommand c = processCommand("C:\\Program Files\\A\\b c.exe", isFile);
  EXPECT_EQ(c.program, "C:\\Program Files\\A\\b c.exe");
  EXPECT_EQ(c.line, "\"C:\\Program Files\\A\\b c.exe\"");
  // A program with blanks and arguments with blanks.
  c = processCommand("C:\\Program Files\\A\\b c.exe \"D:\\My Files\\x.txt\" -q", isFile);
  EXPECT_EQ(c.program, "C:\\Program Files\\A\\b c.exe");
  EXPECT_EQ(c.line, "\"C:\\Program Files\\A\\b c.exe\" \"D:\\My Files\\x.txt\" -q");
  // Quoted already: its program, the line as it is.
  c = processCommand("\"C:\\Web\\w.exe\" \"C:\\Program Files\\O 6\\wbhome.html\"", isFile);
  EXPECT_EQ(c.program, "C:\\Web\\w.exe");
  EXPECT_EQ(c.line, "\"C:\\Web\\w.exe\" \"C:\\Program Files\\O 6\\wbhome.html\"");
  // No such file (a program of the search path): the line as it is, no program.
  c = processCommand("Winhlp32.exe \"C:\\O 6\\Learnpath32.hlp\"", isFile);
  EXPECT_EQ(c.program, "");
  EXPECT_EQ(c.line, "Winhlp32.exe \"C:\\O 6\\Learnpath32.hlp\"");
  c = processCommand("\"C:\\gone.exe\" x", isFile);
  EXPECT_EQ(c.program, "");
  EXPECT_EQ(c.line, "\"C:\\gone.exe\" x");
  EXPECT_EQ(processCommand("", isFile).line, "");
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
