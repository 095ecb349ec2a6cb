// The errors the shared libraries throw, typed so that each front end can
// word them: a request's value it cannot take (InvalidRequest), a limit
// (LimitExceeded: the quantity, its value and its limit), and a fault in an
// input file (InputError: the file and the line).
//
// A message names the request's parameters in braces, "{f_over_d}: must be
// at least 0.022", and each front end words them its own way (worded): the
// programs as their options ("--f-over-d"), the Python module as its
// arguments ("f_over_d"). A parameter's name is lower case with
// underscores.
#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>

namespace numerics {

// `message` with every "{name}" replaced by word(name).
template <class Word>
std::string worded(std::string_view message, Word word) {
  std::string out;
  std::size_t at = 0;
  while (at < message.size()) {
    const std::size_t open = message.find('{', at);
    if (open == std::string_view::npos) break;
    std::size_t close = open + 1;
    while (close < message.size() &&
           ((message[close] >= 'a' && message[close] <= 'z') ||
            (message[close] >= '0' && message[close] <= '9') || message[close] == '_'))
      ++close;
    out.append(message.substr(at, open - at));
    if (close < message.size() && message[close] == '}' && close > open + 1) {
      out += word(std::string(message.substr(open + 1, close - open - 1)));
      at = close + 1;
    } else {
      out += '{';
      at = open + 1;
    }
  }
  out.append(message.substr(std::min(at, message.size())));
  return out;
}

// A parameter's name in a message: "{name}".
inline std::string parameter(std::string_view name) { return "{" + std::string(name) + "}"; }

// Text from a file or a command line as a message quotes it: control bytes
// (a NUL, a tab, an escape) written as \xNN, so that the message is one line
// and whole.
inline std::string printable(std::string_view text) {
  static constexpr char hex[] = "0123456789abcdef";
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    const auto u = static_cast<unsigned char>(c);
    if (u < 0x20 || u == 0x7F) {
      out += "\\x";
      out += hex[u >> 4];
      out += hex[u & 15];
    } else {
      out += c;
    }
  }
  return out;
}

// A value the request cannot take; what() is the message with its
// parameters in braces.
class InvalidRequest : public std::invalid_argument {
 public:
  using std::invalid_argument::invalid_argument;
};

// What a limit error carries: the quantity, its value (a lower bound where
// counting stopped at the limit) and the limit.
class Limit {
 public:
  Limit(std::string quantity, double value, double limit)
      : quantity_(std::move(quantity)), value_(value), limit_(limit) {}
  const std::string& quantity() const { return quantity_; }
  double value() const { return value_; }
  double limit() const { return limit_; }

 private:
  std::string quantity_;
  double value_, limit_;
};

// A request beyond a limit of the code.
class LimitExceeded : public InvalidRequest, public Limit {
 public:
  LimitExceeded(const std::string& message, std::string quantity, double value, double limit)
      : InvalidRequest(message), Limit(std::move(quantity), value, limit) {}
};

// A fault in an input at a line (0: the input as a whole); what() is
// "FILE: line N: problem" ("line N: problem" for text not yet named by its
// file: the reader of a file's text leaves the name to its caller, which
// names it with in_file).
class InputError : public std::invalid_argument {
 public:
  InputError(std::string file, std::size_t line, std::string problem)
      : std::invalid_argument(text(file, line, problem)),
        file_(std::move(file)),
        line_(line),
        problem_(std::move(problem)) {}
  const std::string& file() const { return file_; }
  std::size_t line() const { return line_; }
  const std::string& problem() const { return problem_; }
  InputError in_file(const std::string& file) const { return {file, line_, problem_}; }

 private:
  static std::string text(const std::string& file, std::size_t line, const std::string& problem) {
    std::string t = file;
    if (line > 0) t += (t.empty() ? "line " : ": line ") + std::to_string(line);
    return t + (t.empty() ? "" : ": ") + problem;
  }
  std::string file_;
  std::size_t line_;
  std::string problem_;
};

// Throws InvalidRequest(message) unless `ok`.
inline void require(bool ok, const std::string& message) {
  if (!ok) throw InvalidRequest(message);
}

}  // namespace numerics
