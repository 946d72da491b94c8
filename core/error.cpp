#include "core/error.h"

namespace csv2sql {

std::string standardDescription(std::int32_t number) {
  switch (number) {
    case err::Overflow: return "Overflow";
    case err::SubscriptOutOfRange: return "Subscript out of range";
    case err::TypeMismatch: return "Type mismatch";
    case err::BadFileNameOrNumber: return "Bad file name or number";
    case err::FileNotFound: return "File not found";
    case err::FileAlreadyExists: return "File already exists";
    case err::DiskFull: return "Disk full";
    case err::PathFileAccess: return "Path/File access error";
    case err::PathNotFound: return "Path not found";
    default: return "Application-defined or object-defined error";
  }
}

Error::Error(std::int32_t number) : Error(number, standardDescription(number)) {}

Error::Error(std::int32_t number, std::string description)
    : std::runtime_error(std::to_string(number) + " - " + description),
      number_(number),
      description_(std::move(description)) {}

}  // namespace csv2sql
