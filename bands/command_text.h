// The command lines of the application strip: the browser command from the http
// handler's registration, the two built-in entries' command lines, the folder a program
// starts in and the split of a program path for its shell Properties. Texts are bounded
// by the 260-character fields of AppDescriptor. Platform-free, tested natively.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace bands {

constexpr size_t kFieldSize = 260;  // AppDescriptor's text fields, terminator included

// The text of a fixed field: up to its first NUL, never beyond the field.
std::string_view fieldText(const char* field, size_t size = kFieldSize);

// The browser's program from the default value of "http\shell\open\command": the text up
// to and with its last double quote (all of it when it has none). oldShell (Windows 9x and
// NT 4) also strips the quotes around the program.
std::string browserCommand(std::string_view registered, bool oldShell);

// "<browser> <folder>\wbhome.html" and "Winhlp32.exe <folder>\Learnpath32.hlp".
std::string webResourceCommand(std::string_view browser, std::string_view installFolder);
std::string learnPathCommand(std::string_view installFolder);

// Copies text into a field with its terminator. A text that does not fit leaves the field
// empty and answers false: a cut command line would start something else.
bool setField(char* field, size_t size, std::string_view text);

// The folder a command line starts in: the text before its last "\", without a leading
// double quote; "\" when there is none; a drive alone ("C:") keeps its root ("C:\").
std::string startFolder(std::string_view commandLine);

// The program a command line names, for its version resource: the quoted text when it
// starts with a quote, else each prefix that ends before a blank, shortest first, then
// the whole line (the caller takes the first that names a file).
std::vector<std::string> programCandidates(std::string_view commandLine);

// A program path split at its last "\" into folder and file name; false when there is
// no folder or no file name.
bool splitProgramPath(std::string_view path, std::string* folder, std::string* file);

// Whether a file name has no folder, drive or quote in it (a single shell item).
bool isBareFileName(std::string_view name);

}  // namespace bands
