#include "components/db/ado_errors.h"

#include <string>

namespace csv2sql::db::ado {

namespace {

std::string_view standardText(std::int32_t number) {
  switch (number) {
    case InvalidArgument:
      return "Arguments are of the wrong type, are out of acceptable range, or are in conflict "
             "with one another.";
    case NoCurrentRecord:
      return "Either BOF or EOF is True, or the current record has been deleted. Requested "
             "operation requires a current record.";
    case IllegalOperation:
      return "Operation is not allowed in this context.";
    case ItemNotFound:
      return "Item cannot be found in the collection corresponding to the requested name or "
             "ordinal.";
    case ObjectClosed:
      return "Operation is not allowed when the object is closed.";
    case ProviderNotFound:
      return "Provider cannot be found. It may not be properly installed.";
    case BadConnectionString:
      return "Format of the initialization string is not valid: Key=Value pairs separated by "
             "\";\".";
    default:
      return "Unspecified error";
  }
}

}  // namespace

Error error(std::int32_t number, std::string_view detail) {
  std::string text(standardText(number));
  if (!detail.empty()) {
    text += ' ';
    text += detail;
  }
  return Error(number, std::move(text));
}

Error parameterCountError(std::size_t markers, std::size_t values) {
  return error(InvalidArgument, "The statement has " + std::to_string(markers) +
                                    " parameter markers but " + std::to_string(values) +
                                    " values were given.");
}

}  // namespace csv2sql::db::ado
