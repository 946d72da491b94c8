#include "import/file_patterns.h"

#include <algorithm>

#include "core/error.h"
#include "core/text.h"

namespace csv2sql {

namespace {

// Backtracks only to the last "*": linear enough for names.
bool matchesPattern(std::string_view name, std::string_view pattern) {
  std::size_t n = 0, p = 0;
  std::size_t starAt = std::string_view::npos, resumeAt = 0;
  while (n < name.size()) {
    if (p < pattern.size() &&
        (pattern[p] == '?' || asciiUpper(pattern[p]) == asciiUpper(name[n]))) {
      ++n, ++p;
    } else if (p < pattern.size() && pattern[p] == '*') {
      starAt = p++;
      resumeAt = n;
    } else if (starAt != std::string_view::npos) {
      p = starAt + 1;
      n = ++resumeAt;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

}  // namespace

FilePatterns FilePatterns::read(std::string_view setting) {
  const std::string typed(setting);
  FilePatterns result;
  if (trimSpaces(setting).empty()) return result;
  result.patterns_.clear();
  while (!setting.empty()) {
    const std::size_t end = std::min(setting.find(';'), setting.size());
    const std::string_view pattern = trimSpaces(setting.substr(0, end));
    if (pattern.find_first_of("/\\") != std::string_view::npos) {
      throw Error(err::InvalidProcedureCall,
                  "Invalid procedure call or argument: FILES (Files) is " + typed +
                      ", it must be names of the source folder, such as *.csv;*.txt");
    }
    if (!pattern.empty()) result.patterns_.emplace_back(pattern);
    setting.remove_prefix(std::min(end + 1, setting.size()));
  }
  return result;
}

bool FilePatterns::matches(std::string_view name) const {
  for (const std::string& pattern : patterns_) {
    if (matchesPattern(name, pattern)) return true;
  }
  return false;
}

}  // namespace csv2sql
