#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "dbaccess/database.h"

namespace csv2sql::db::pg {

// The servers of a data source as libpq takes them: each of "host", "host:port",
// "[v6-address]:port" or a bare v6 address (alone), separated by commas, as lists of hosts and
// of ports, a port left empty where none is given, no ports when none is. The older form
// "h1,h2:p1,p2" (the hosts, then their ports) is read as it always was.
struct ServerAddress {
  std::string host;
  std::string port;
};
ServerAddress splitDataSource(std::string_view dataSource);

// The statement with each "?" outside literals, quoted names and comments replaced by $1, $2,
// ...; `markers` receives their count. `standardStrings`: the server reads backslashes in
// '...' literally (standard_conforming_strings on).
std::string numberPlaceholders(std::string_view sql, bool standardStrings, std::size_t& markers);

// Appends a non-NULL value as the server reads it from text: a number in its shortest exact
// form, a date-time as "yyyy-mm-dd hh:mm:ss[.ffffff]"; text holding a NUL fails with 22021.
void appendValueText(std::string& out, const FieldValue& value);

// Appends a value as one field of a text-format COPY row: \N for NULL, backslash, tab, line
// feed and carriage return escaped.
void appendCopyField(std::string& out, const FieldValue& value);

// The error of a refused login from libpq's verbose text ("FATAL:  28P01: ..."): the SQLSTATE
// taken out of the text (08001 when the server gave none), the rest on one line.
DatabaseError loginError(std::string_view verboseMessage);

// A message on one line: line breaks and the indentation after them become one blank.
std::string oneLine(std::string_view message);

// Parameter values as the NUL-terminated texts libpq sends; the buffers are reused.
class ParameterTexts {
 public:
  void clear();
  void add(const FieldValue& value);
  int count() const { return static_cast<int>(offsets_.size()); }
  // Valid until the next add or clear; a null pointer stands for NULL.
  const char* const* values();

 private:
  std::string text_;
  std::vector<std::size_t> offsets_;
  std::vector<const char*> pointers_;
};

}  // namespace csv2sql::db::pg
