#pragma once

#include <string_view>

namespace csv2sql {

// True when the text is a table name and nothing more: one or more parts joined by ".", each
// part made of letters, digits, "_", "@", "#" and "$", or enclosed in [ ] or in double quotes
// (any printable text inside but the closing mark). Such a name can be placed in a statement
// without changing what the statement does.
bool isTableIdentifier(std::string_view name);

}  // namespace csv2sql
