#include "core/error.h"

#include <filesystem>
#include <new>

#include "core/system_error.h"

namespace csv2sql {

std::string standardDescription(std::int32_t number) {
  switch (number) {
    case err::InvalidProcedureCall:
      return "Invalid procedure call or argument";
    case err::Overflow:
      return "Overflow";
    case err::OutOfMemory:
      return "Out of memory";
    case err::InternalError:
      return "Internal error";
    case err::SubscriptOutOfRange:
      return "Subscript out of range";
    case err::TypeMismatch:
      return "Type mismatch";
    case err::BadFileNameOrNumber:
      return "Bad file name or number";
    case err::FileNotFound:
      return "File not found";
    case err::FileAlreadyExists:
      return "File already exists";
    case err::DiskFull:
      return "Disk full";
    case err::PathFileAccess:
      return "Path/File access error";
    case err::PathNotFound:
      return "Path not found";
    case err::InvalidArgument:
      return "Arguments are of the wrong type, are out of acceptable range, or are in conflict "
             "with one another.";
    case err::NoCurrentRecord:
      return "Either BOF or EOF is True, or the current record has been deleted. Requested "
             "operation requires a current record.";
    case err::IllegalOperation:
      return "Operation is not allowed in this context.";
    case err::ItemNotFound:
      return "Item cannot be found in the collection corresponding to the requested name or "
             "ordinal.";
    case err::ObjectClosed:
      return "Operation is not allowed when the object is closed.";
    case err::ProviderNotFound:
      return "Provider cannot be found. It may not be properly installed.";
    case err::BadConnectionString:
      return "Format of the initialization string is not valid: Key=Value pairs separated by "
             "\";\".";
    case err::UnspecifiedProviderError:
      return "Unspecified error";
    default:
      return "Application-defined or object-defined error";
  }
}

Error::Error(std::int32_t number) : Error(number, standardDescription(number)) {}

Error::Error(std::int32_t number, std::string description)
    : std::runtime_error(csv2sql::numberAndDescription(number, description)),
      number_(number),
      description_(std::move(description)) {}

Error Error::withDetail(std::int32_t number, std::string_view detail) {
  std::string text = standardDescription(number);
  if (!detail.empty()) {
    text += ' ';
    text += detail;
  }
  return Error(number, std::move(text));
}

std::string numberAndDescription(std::int32_t number, std::string_view description) {
  std::string text = std::to_string(number);
  text += " - ";
  text += description;
  return text;
}

Error currentError() {
  try {
    throw;
  } catch (const Error& error) {
    return error;
  } catch (const std::filesystem::filesystem_error& error) {
    return errorFromSystem(error.code());
  } catch (const std::bad_alloc&) {
    return Error(err::OutOfMemory);
  } catch (const std::exception& error) {
    return Error(err::InternalError, std::string("Internal error: ") + error.what());
  } catch (...) {
    return Error(err::InternalError);
  }
}

}  // namespace csv2sql
