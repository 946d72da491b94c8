#pragma once

#include "dbaccess/odbc_api.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace csv2sql::db::odbc {

// UTF-16 text in the driver manager's wide character type, without a terminator. The wide
// calls are used throughout, so that text reaches every driver the same way whatever the
// process locale.
using WideText = std::vector<SQLWCHAR>;

// UTF-8 to UTF-16. Bytes that are not well-formed UTF-8 fail as a server would refuse them,
// with SQLSTATE 22021; what names the text in the message ("the statement").
WideText toWide(std::string_view utf8, std::string_view what);

// UTF-16 from a driver to UTF-8; an unpaired surrogate becomes U+FFFD.
std::string toUtf8(const SQLWCHAR* text, std::size_t length);

}  // namespace csv2sql::db::odbc
