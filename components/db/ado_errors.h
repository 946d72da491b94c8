#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "core/error.h"

namespace csv2sql::db::ado {

// The numbers ADO raises for misuse of its objects, with their standard texts.
constexpr std::int32_t InvalidArgument = 3001;
constexpr std::int32_t NoCurrentRecord = 3021;
constexpr std::int32_t IllegalOperation = 3219;
constexpr std::int32_t ItemNotFound = 3265;
constexpr std::int32_t ObjectClosed = 3704;
constexpr std::int32_t ProviderNotFound = 3706;
constexpr std::int32_t BadConnectionString = -2147217805;

// The error with the standard text of the number, followed by a blank and the detail when one
// is given.
Error error(std::int32_t number, std::string_view detail = {});

// A statement whose parameter markers do not match the values given.
Error parameterCountError(std::size_t markers, std::size_t values);

}  // namespace csv2sql::db::ado
