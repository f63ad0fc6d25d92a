// The command lines of the application strip: the browser command from the http
// handler's registration, the two built-in entries' command lines, the folder a program
// starts in and the split of a program path for its shell Properties. Texts are bounded
// by the 260-character fields of AppDescriptor. Platform-free, tested natively.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "contract/app_descriptor.h"

namespace bands {

constexpr size_t kFieldSize = srv::kAppTextSize;  // terminator included

// The text of a fixed field: up to its first NUL, never beyond the field.
std::string_view fieldText(const char* field, size_t size = kFieldSize);

// The browser's program from the default value of "http\shell\open\command": the text up
// to and with its last double quote (all of it when it has none). oldShell (Windows 9x and
// NT 4) also strips the quotes around the program.
std::string browserCommand(std::string_view registered, bool oldShell);

// "<browser> "<folder>\wbhome.html"" and "Winhlp32.exe "<folder>\Learnpath32.hlp"": the
// file in quotes, as install folders have blanks ("C:\Program Files\...").
std::string webResourceCommand(std::string_view browser, std::string_view installFolder);
std::string learnPathCommand(std::string_view installFolder);

// Copies text into a field with its terminator. A text that does not fit leaves the field
// empty and answers false: a cut command line would start something else.
bool setField(char* field, size_t size, std::string_view text);

// The blank-separated parts of a command line; a part in double quotes keeps its blanks
// (the quotes go).
std::vector<std::string> commandParts(std::string_view commandLine);

// The folder a command line starts in: of its last part that has a "\", the text before
// that part's last "\" (the file's folder: the program's, or the document's); "\" when no
// part has one; a drive alone ("C:") keeps its root ("C:\").
std::string startFolder(std::string_view commandLine);

// What a process is created with for a command line: the program it names (empty when
// none is found as a file: then the system's search finds it, "Winhlp32.exe ...") and the
// line with that program in quotes. A line that starts with a quote names its program;
// otherwise the longest prefix that ends before a blank (or the whole line) and names a
// file is the program, so that a path with blanks is never cut at its first blank and
// "C:\Program Files\A\b c.exe" can never start "C:\Program.exe" or "...\A\b.exe".
struct ProcessCommand {
  std::string program;
  std::string line;
};
template <class IsFile>
ProcessCommand processCommand(std::string_view commandLine, IsFile isFile);

// The program a command line names, for its version resource: the quoted text when it
// starts with a quote, else each prefix that ends before a blank, shortest first, then
// the whole line (the caller takes the first that names a file).
std::vector<std::string> programCandidates(std::string_view commandLine);

// A program path split at its last "\" into folder and file name; false when there is
// no folder or no file name.
bool splitProgramPath(std::string_view path, std::string* folder, std::string* file);

// Whether a file name has no folder, drive or quote in it (a single shell item).
bool isBareFileName(std::string_view name);

template <class IsFile>
ProcessCommand processCommand(std::string_view commandLine, IsFile isFile) {
  ProcessCommand out{std::string(), std::string(commandLine)};
  if (commandLine.empty()) return out;
  if (commandLine[0] == '"') {
    const size_t close = commandLine.find('"', 1);
    std::string program(commandLine.substr(1, close == std::string_view::npos ? std::string_view::npos
                                                                               : close - 1));
    if (isFile(program)) out.program = program;
    return out;
  }
  std::vector<std::string> candidates = programCandidates(commandLine);
  for (auto it = candidates.rbegin(); it != candidates.rend(); ++it) {
    if (!isFile(*it)) continue;
    out.program = *it;
    out.line = "\"" + *it + "\"" + std::string(commandLine.substr(it->size()));
    break;
  }
  return out;
}

}  // namespace bands
