#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace csv2sql::db {

// How a server reads a name part written without quotes.
enum class BareNameCase { AsTyped, Lower, Upper };

// A destination table name that passed the identifier check: one or more parts joined by ".",
// each part made of letters, digits, "_", "@", "#" and "$", or enclosed in [ ] or in double
// quotes (any printable text inside but the closing mark). Only the check makes one, so every
// statement that names a table gets a name that cannot change what the statement does.
class TableName {
 public:
  // The text with the spaces around it removed; error 5 when it is not a table name.
  static TableName check(std::string_view text);

  // The name as typed (spaces around it removed), for log lines and messages.
  const std::string& text() const { return text_; }

  // Each part as one identifier between open and close, a close inside doubled, the parts
  // joined by "."; a part typed bare is first folded as the server folds bare names, so
  // CSVDATA still names the table that the server's own CSVDATA names.
  std::string quoted(char open, char close, BareNameCase bare) const;
  // No part is enclosed in [ ] or double quotes.
  bool allBare() const;

 private:
  struct Part {
    std::string name;
    bool bare;
  };
  TableName(std::string text, std::vector<Part> parts);

  std::string text_;
  std::vector<Part> parts_;
};

}  // namespace csv2sql::db
