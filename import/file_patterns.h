#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace csv2sql {

// The names of the files a run takes from its source folder: patterns with "*" (any run of
// characters) and "?" (any one), letter case ignored.
class FilePatterns {
 public:
  // "*.csv", as the program always took.
  FilePatterns() : patterns_{"*.csv"} {}
  // The FILES setting: patterns separated by ";", blanks around each ignored; empty: "*.csv".
  // A pattern that names a folder ("/" or "\") can match no name of the folder: error 5 naming
  // the key, before any file is touched.
  static FilePatterns read(std::string_view setting);

  bool matches(std::string_view name) const;

 private:
  std::vector<std::string> patterns_;
};

}  // namespace csv2sql
