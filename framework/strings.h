// String-table access: every user-visible text comes from the resources by id.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace fw {

// The string with that id from the resource module; empty when there is none.
std::string loadString(UINT id);
// True when the string exists (an existing empty string counts as missing).
bool hasString(UINT id);

// printf-style: the string table entry is the pattern.
std::string formatString(UINT id, ...);
// "%1".."%9" placeholders filled from args.
std::string formatMessage(UINT id, const std::vector<std::string>& args);

// Text of the ANSI code page as UTF-16, for the interfaces that take wide text.
std::wstring widen(const std::string& text);
// A label's text as it reads: its mnemonic marks gone ("&Read" reads "Read", "&&" "&").
std::string withoutMnemonic(const std::string& text);

}  // namespace fw
