// What the inventory tells the user, kept apart from how it is shown: a message is a
// string id and its printf arguments, each a text or a number. The Windows side loads
// the pattern and shows it in a message box; tests record it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace inv {

struct MessageArg {
  enum class Kind { Text, Number };
  Kind kind;
  std::string text;
  uint32_t number;

  static MessageArg ofText(std::string value) { return {Kind::Text, std::move(value), 0}; }
  static MessageArg ofNumber(uint32_t value) { return {Kind::Number, std::string(), value}; }
};

class MessageSink {
 public:
  virtual ~MessageSink() = default;
  // Shows message `id` formatted with `args`.
  virtual void show(unsigned id, const std::vector<MessageArg>& args) = 0;
  // Shows message `id` only the first time: for what stays true as long as the sink
  // lives. The suite's message boxes count once per process (its rights, say).
  virtual void showOnce(unsigned id, const std::vector<MessageArg>& args) {
    for (unsigned shown : shownOnce_)
      if (shown == id) return;
    shownOnce_.push_back(id);
    show(id, args);
  }
  // A string-table text (the generic adapter name).
  virtual std::string text(unsigned id) = 0;

 private:
  std::vector<unsigned> shownOnce_;
};

// Fills a printf-style pattern with typed arguments, one conversion at a time, so that
// a pattern and its arguments can never disagree in a harmful way: %s takes a text,
// %c %d %i %u %x %X %o take a number; "%%" is one '%'. A conversion without a fitting
// argument, with '*' or with an unknown letter is copied as written.
std::string formatMessageText(const std::string& pattern, const std::vector<MessageArg>& args);

}  // namespace inv
