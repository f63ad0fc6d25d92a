#include "inventory/message.h"

#include <cstdio>
#include <cstring>

namespace inv {

namespace {

// Width and precision are kept short: a pattern comes from our own string table.
constexpr size_t kMaxDigits = 3;

bool isDigit(char c) { return c >= '0' && c <= '9'; }

std::string formatOne(const std::string& directive, const MessageArg& arg, char conversion) {
  int n = 0;
  std::string out;
  for (int pass = 0; pass < 2; ++pass) {
    char* buffer = pass == 0 ? nullptr : &out[0];
    size_t size = pass == 0 ? 0 : out.size() + 1;
    if (conversion == 's')
      n = std::snprintf(buffer, size, directive.c_str(), arg.text.c_str());
    else if (conversion == 'd' || conversion == 'i' || conversion == 'c')
      n = std::snprintf(buffer, size, directive.c_str(), static_cast<int>(arg.number));
    else
      n = std::snprintf(buffer, size, directive.c_str(), static_cast<unsigned>(arg.number));
    if (n < 0) return std::string();
    if (pass == 0) out.assign(static_cast<size_t>(n), '\0');
  }
  return out;
}

}  // namespace

std::string formatMessageText(const std::string& pattern, const std::vector<MessageArg>& args) {
  std::string out;
  size_t next = 0;
  size_t i = 0;
  while (i < pattern.size()) {
    char c = pattern[i];
    if (c != '%') {
      out += c;
      ++i;
      continue;
    }
    if (i + 1 < pattern.size() && pattern[i + 1] == '%') {
      out += '%';
      i += 2;
      continue;
    }
    // %[flags][width][.precision][length]conversion
    size_t j = i + 1;
    std::string directive = "%";
    while (j < pattern.size() && std::strchr("-+ #0", pattern[j])) directive += pattern[j++];
    size_t digits = 0;
    while (j < pattern.size() && isDigit(pattern[j])) directive += pattern[j++], ++digits;
    bool ok = digits <= kMaxDigits;
    if (j < pattern.size() && pattern[j] == '.') {
      directive += pattern[j++];
      digits = 0;
      while (j < pattern.size() && isDigit(pattern[j])) directive += pattern[j++], ++digits;
      ok = ok && digits <= kMaxDigits;
    }
    while (j < pattern.size() && std::strchr("hlLqjzt", pattern[j])) ++j;  // sizes are ours
    char conversion = j < pattern.size() ? pattern[j] : '\0';
    bool text = conversion == 's';
    bool number = conversion != '\0' && std::strchr("cdiuxXo", conversion);
    if (ok && (text || number) && next < args.size() &&
        args[next].kind == (text ? MessageArg::Kind::Text : MessageArg::Kind::Number)) {
      out += formatOne(directive + conversion, args[next], conversion);
      ++next;
      i = j + 1;
    } else {
      // Copied as written, so that a mismatch is visible rather than harmful.
      size_t end = conversion == '\0' ? j : j + 1;
      out.append(pattern, i, end - i);
      i = end;
    }
  }
  return out;
}

}  // namespace inv
