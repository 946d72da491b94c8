#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace csv2sql {

// Every error number the program raises and reports: the run-time numbers, then those of the
// database access objects.
namespace err {
constexpr std::int32_t InvalidProcedureCall = 5;
constexpr std::int32_t Overflow = 6;
constexpr std::int32_t OutOfMemory = 7;
constexpr std::int32_t SubscriptOutOfRange = 9;
constexpr std::int32_t TypeMismatch = 13;
constexpr std::int32_t BadFileNameOrNumber = 52;
constexpr std::int32_t FileNotFound = 53;
constexpr std::int32_t FileAlreadyExists = 58;
constexpr std::int32_t InternalError = 51;
constexpr std::int32_t DiskFull = 61;
constexpr std::int32_t PathFileAccess = 75;
constexpr std::int32_t PathNotFound = 76;

constexpr std::int32_t InvalidArgument = 3001;
constexpr std::int32_t NoCurrentRecord = 3021;
constexpr std::int32_t IllegalOperation = 3219;
constexpr std::int32_t ItemNotFound = 3265;
constexpr std::int32_t ObjectClosed = 3704;
constexpr std::int32_t ProviderNotFound = 3706;
constexpr std::int32_t BadConnectionString = -2147217805;
// A database error without a number of its own.
constexpr std::int32_t UnspecifiedProviderError = -2147467259;
}  // namespace err

// The standard description of one of the numbers above ("Overflow", "File not found", ...);
// "Application-defined or object-defined error" for any other number.
std::string standardDescription(std::int32_t number);

// number + " - " + description: how every report shows an error.
std::string numberAndDescription(std::int32_t number, std::string_view description);

// Every failure of the program: a number and a description, reported as
// number + " - " + description.
class Error : public std::runtime_error {
 public:
  explicit Error(std::int32_t number);
  Error(std::int32_t number, std::string description);

  // The standard description of the number, a blank and the detail.
  static Error withDetail(std::int32_t number, std::string_view detail);

  std::int32_t number() const noexcept { return number_; }
  const std::string& description() const noexcept { return description_; }
  std::string numberAndDescription() const { return what(); }

 private:
  std::int32_t number_;
  std::string description_;
};

// The Error for the exception being handled, whatever its type: file-system errors get the
// program's numbers, std::bad_alloc is error 7, anything else error 51. Only inside a catch.
Error currentError();

}  // namespace csv2sql
