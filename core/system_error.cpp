#include "core/system_error.h"

#include <string>

namespace csv2sql {

namespace {

#ifdef _WIN32
// Windows codes whose portable condition (no such file) hides what they say.
constexpr int kWinPathNotFound = 3, kWinInvalidName = 123, kWinBadPathName = 161;

std::int32_t windowsNumber(const std::error_code& code) {
  if (code.category() != std::system_category()) return 0;
  switch (code.value()) {
    case kWinPathNotFound:
      return err::PathNotFound;
    case kWinInvalidName:
    case kWinBadPathName:
      return err::BadFileNameOrNumber;
    default:
      return 0;
  }
}
#endif

std::int32_t portableNumber(const std::error_code& code, SystemTarget target) {
  if (code == std::errc::no_such_file_or_directory) {
    return target == SystemTarget::File ? err::FileNotFound : err::PathNotFound;
  }
  if (code == std::errc::not_a_directory) return err::PathNotFound;
  if (code == std::errc::file_exists || code == std::errc::permission_denied ||
      code == std::errc::operation_not_permitted || code == std::errc::device_or_resource_busy ||
      code == std::errc::text_file_busy) {
    return err::PathFileAccess;
  }
  if (code == std::errc::invalid_argument || code == std::errc::filename_too_long ||
      code == std::errc::illegal_byte_sequence) {
    return err::BadFileNameOrNumber;
  }
  if (code == std::errc::no_space_on_device) return err::DiskFull;
  return 0;
}

}  // namespace

Error errorFromSystem(const std::error_code& code, SystemTarget target) {
  if (!code) return Error(err::PathFileAccess);
#ifdef _WIN32
  if (const std::int32_t number = windowsNumber(code)) return Error(number);
#endif
  switch (const std::int32_t number = portableNumber(code, target)) {
    case 0:
      return Error(err::PathFileAccess,
                   standardDescription(err::PathFileAccess) + ": " + code.message());
    case err::DiskFull:
      return Error(err::DiskFull, "Disk full");
    default:
      return Error(number);
  }
}

}  // namespace csv2sql
