#pragma once

#include <string>
#include <string_view>

namespace csv2sql {

// A folder as a run reads it from a text box: the spaces around it removed, and the platform's
// separator appended when the text does not already end with a separator ("/" here; "/" and
// "\" on Windows).
std::string folderFromText(std::string_view text);

}  // namespace csv2sql
