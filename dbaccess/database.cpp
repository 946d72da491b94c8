#include "dbaccess/database.h"

#include <utility>

namespace csv2sql::db {

namespace {

std::string describe(const std::string& sqlState, const std::string& message) {
  const std::string text = message.empty() ? "Unspecified error" : message;
  return sqlState.empty() ? text : "[" + sqlState + "] " + text;
}

}  // namespace

DatabaseError::DatabaseError(std::int32_t nativeCode, std::string sqlState, std::string message,
                             NativeCode use, bool dataRefused)
    : Error(nativeCode != 0 && use == NativeCode::IsNumber ? nativeCode
                                                           : err::UnspecifiedProviderError,
            describe(sqlState, message)),
      nativeCode_(nativeCode),
      sqlState_(std::move(sqlState)),
      message_(std::move(message)),
      dataRefused_(dataRefused || sqlState_.starts_with("22") || sqlState_.starts_with("23")) {}

}  // namespace csv2sql::db
