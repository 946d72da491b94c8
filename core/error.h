#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace csv2sql {

// The run-time error numbers the program raises and reports.
namespace err {
constexpr std::int32_t Overflow = 6;
constexpr std::int32_t SubscriptOutOfRange = 9;
constexpr std::int32_t TypeMismatch = 13;
constexpr std::int32_t BadFileNameOrNumber = 52;
constexpr std::int32_t FileNotFound = 53;
constexpr std::int32_t FileAlreadyExists = 58;
constexpr std::int32_t DiskFull = 61;
constexpr std::int32_t PathFileAccess = 75;
constexpr std::int32_t PathNotFound = 76;
}  // namespace err

// The standard description of one of the numbers above ("Overflow", "File not found", ...);
// "Application-defined or object-defined error" for any other number.
std::string standardDescription(std::int32_t number);

// Every failure of the program: a number and a description, reported as
// number + " - " + description.
class Error : public std::runtime_error {
 public:
  explicit Error(std::int32_t number);
  Error(std::int32_t number, std::string description);

  std::int32_t number() const noexcept { return number_; }
  const std::string& description() const noexcept { return description_; }

 private:
  std::int32_t number_;
  std::string description_;
};

}  // namespace csv2sql
