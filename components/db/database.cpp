#include "components/db/database.h"

#include <utility>

namespace csv2sql::db {

namespace {

// The number a provider reports when it has no code of its own (E_FAIL).
constexpr std::int32_t kUnspecifiedError = -2147467259;

std::string describe(const std::string& sqlState, const std::string& message) {
  const std::string text = message.empty() ? "Unspecified error" : message;
  return sqlState.empty() ? text : "[" + sqlState + "] " + text;
}

}  // namespace

DatabaseError::DatabaseError(std::int32_t nativeCode, std::string sqlState, std::string message)
    : Error(nativeCode != 0 ? nativeCode : kUnspecifiedError, describe(sqlState, message)),
      nativeCode_(nativeCode),
      sqlState_(std::move(sqlState)),
      message_(std::move(message)) {}

}  // namespace csv2sql::db
