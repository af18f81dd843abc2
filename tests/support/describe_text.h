// Reading the text of adaptive::Describe back: the note under a port or
// parameter line, and the text with its line filling undone.
#pragma once

#include <sstream>
#include <string>

namespace adaptive::test {

// The text of the indented lines that follow the line starting with `head`,
// joined with blanks; "" when the line is missing or nothing follows it.
inline std::string IndentedAfter(const std::string& text, const std::string& head) {
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line) && line.rfind(head, 0) != 0) {
  }
  std::string joined;
  while (std::getline(lines, line) && line.rfind("       ", 0) == 0) joined += line.substr(7) + " ";
  return joined;
}

// `text` with its line breaks and their indentation turned into one blank.
inline std::string Unwrapped(const std::string& text) {
  std::string flat;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\n') {
      flat += text[i];
      continue;
    }
    flat += ' ';
    while (i + 1 < text.size() && text[i + 1] == ' ') ++i;
  }
  return flat;
}

}  // namespace adaptive::test
