#include "bands/command_text.h"

#include <cstring>

#include "contract/record_text.h"

namespace bands {

std::string_view fieldText(const char* field, size_t size) { return inv::fixedView(field, size); }

std::string browserCommand(std::string_view registered, bool oldShell) {
  std::string text(registered);
  const size_t lastQuote = text.rfind('"');
  if (lastQuote == std::string::npos) return text;
  text.resize(lastQuote + 1);
  if (oldShell) {
    // Cut before the last quote, then drop the first character (the opening quote).
    text.resize(lastQuote);
    if (!text.empty()) text.erase(0, 1);
  }
  return text;
}

std::string webResourceCommand(std::string_view browser, std::string_view installFolder) {
  std::string text(browser);
  text += " \"";
  text += installFolder;
  text += "\\wbhome.html\"";
  return text;
}

std::string learnPathCommand(std::string_view installFolder) {
  std::string text = "Winhlp32.exe \"";
  text += installFolder;
  text += "\\Learnpath32.hlp\"";
  return text;
}

bool setField(char* field, size_t size, std::string_view text) {
  if (!field || size == 0) return false;
  if (text.size() >= size || text.find('\0') != std::string_view::npos) {
    field[0] = '\0';
    return false;
  }
  std::memcpy(field, text.data(), text.size());
  field[text.size()] = '\0';
  return true;
}

std::vector<std::string> commandParts(std::string_view commandLine) {
  std::vector<std::string> parts;
  size_t i = 0;
  while (i < commandLine.size()) {
    if (commandLine[i] == ' ') {
      ++i;
      continue;
    }
    std::string part;
    bool quoted = false;
    for (; i < commandLine.size() && (quoted || commandLine[i] != ' '); ++i) {
      if (commandLine[i] == '"') {
        quoted = !quoted;
      } else {
        part += commandLine[i];
      }
    }
    parts.push_back(std::move(part));
  }
  return parts;
}

std::string startFolder(std::string_view commandLine) {
  const std::vector<std::string> parts = commandParts(commandLine);
  for (auto it = parts.rbegin(); it != parts.rend(); ++it) {
    const size_t slash = it->rfind('\\');
    if (slash == std::string::npos) continue;
    std::string folder = it->substr(0, slash);
    if (folder.empty()) return "\\";
    if (folder.size() == 2 && folder[1] == ':') folder += '\\';
    return folder;
  }
  return "\\";
}

std::vector<std::string> programCandidates(std::string_view commandLine) {
  std::vector<std::string> out;
  if (commandLine.empty()) return out;
  if (commandLine[0] == '"') {
    const size_t close = commandLine.find('"', 1);
    out.emplace_back(commandLine.substr(1, close == std::string_view::npos ? std::string_view::npos
                                                                            : close - 1));
    return out;
  }
  for (size_t blank = commandLine.find(' '); blank != std::string_view::npos;
       blank = commandLine.find(' ', blank + 1)) {
    if (blank > 0) out.emplace_back(commandLine.substr(0, blank));
  }
  out.emplace_back(commandLine);
  return out;
}

bool splitProgramPath(std::string_view path, std::string* folder, std::string* file) {
  const size_t slash = path.rfind('\\');
  if (slash == std::string_view::npos || slash == 0 || slash + 1 >= path.size()) return false;
  std::string dir(path.substr(0, slash));
  if (dir.size() == 2 && dir[1] == ':') dir += '\\';
  if (folder) *folder = dir;
  if (file) *file = std::string(path.substr(slash + 1));
  return true;
}

bool isBareFileName(std::string_view name) {
  return !name.empty() && name.find_first_of("\\/:\"") == std::string_view::npos;
}

}  // namespace bands
