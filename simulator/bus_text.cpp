#include "simulator/bus_text.h"

namespace sim {

namespace {

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::string quote(std::string_view s) {
  std::string out = "\"";
  for (char c : s.substr(0, 40)) {
    out += (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) ? '?' : c;
  }
  if (s.size() > 40) out += "...";
  return out + "\"";
}

std::string hexByte(unsigned v) {
  const char* digits = "0123456789ABCDEF";
  return std::string{digits[(v >> 4) & 15], digits[v & 15]};
}

std::optional<uint32_t> parseHex(std::string_view s, size_t maxDigits) {
  if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) s.remove_prefix(2);
  if (s.empty() || s.size() > maxDigits) return std::nullopt;
  uint32_t v = 0;
  for (char c : s) {
    int d = hexDigit(c);
    if (d < 0) return std::nullopt;
    v = v * 16 + static_cast<uint32_t>(d);
  }
  return v;
}

std::optional<uint64_t> parseDecimal(std::string_view s, uint64_t max) {
  if (s.empty() || s.size() > 20) return std::nullopt;
  uint64_t v = 0;
  for (char c : s) {
    if (c < '0' || c > '9') return std::nullopt;
    uint64_t d = static_cast<uint64_t>(c - '0');
    if (v > (max - d) / 10) return std::nullopt;
    v = v * 10 + d;
  }
  return v;
}

bool tokenizeLine(std::string_view line, std::vector<Token>& tokens, std::string& error) {
  tokens.clear();
  size_t i = 0;
  while (i < line.size()) {
    char c = line[i];
    if (isSpace(c)) {
      ++i;
      continue;
    }
    if (c == '#') break;
    Token t;
    if (c == '"') {
      t.quoted = true;
      ++i;
      bool closed = false;
      while (i < line.size()) {
        char q = line[i++];
        if (q == '"') {
          closed = true;
          break;
        }
        if (q == '\\' && i < line.size() && (line[i] == '"' || line[i] == '\\')) q = line[i++];
        t.text += q;
      }
      if (!closed) {
        error = "unterminated string";
        return false;
      }
    } else {
      while (i < line.size() && !isSpace(line[i]) && line[i] != '#') {
        if (line[i] == '"') {
          error = "a quote inside a word";
          return false;
        }
        t.text += line[i++];
      }
    }
    tokens.push_back(std::move(t));
  }
  return true;
}

bool parseByteList(const std::vector<Token>& tokens, size_t first, std::vector<uint8_t>& out,
                   std::string& error) {
  out.clear();
  for (size_t i = first; i < tokens.size(); ++i) {
    const Token& t = tokens[i];
    if (t.quoted) {
      out.insert(out.end(), t.text.begin(), t.text.end());
    } else {
      std::string_view s = t.text;
      size_t star = s.find('*');
      uint64_t count = 1;
      if (star != std::string_view::npos) {
        auto n = parseDecimal(s.substr(star + 1), 65536);
        if (!n || *n == 0) {
          error = "bad repeat count in " + quote(t.text);
          return false;
        }
        count = *n;
        s = s.substr(0, star);
      }
      auto v = parseHex(s, 2);
      if (!v || s.substr(0, 2) == "0x") {
        error = "bad hex " + quote(t.text);
        return false;
      }
      out.insert(out.end(), static_cast<size_t>(count), static_cast<uint8_t>(*v));
    }
    if (out.size() > 65536) {
      error = "byte list too long";
      return false;
    }
  }
  return true;
}

}  // namespace sim
