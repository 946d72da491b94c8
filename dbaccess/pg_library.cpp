#include "dbaccess/pg_library.h"

#include <string>
#include <type_traits>

#include "core/error.h"
#include "core/platform.h"

namespace csv2sql::db::pg {

namespace {

#ifdef _WIN32
constexpr const char* kLibraryName = "libpq.dll";
#else
constexpr const char* kLibraryName = "libpq.so.5";
#endif

[[noreturn]] void cannotLoad(const std::string& reason) {
  throw Error::withDetail(err::ProviderNotFound, "The PostgreSQL client library " +
                                                     std::string(kLibraryName) +
                                                     " cannot be loaded: " + reason + ".");
}

LibPq load() {
  std::string reason;
  void* library = platform::openLibrary(kLibraryName, reason);
  if (library == nullptr) cannotLoad(reason);
  LibPq functions{};
  const auto find = [&](auto& function, const char* name) {
    void* address = platform::librarySymbol(library, name);
    if (address == nullptr) cannotLoad(std::string("it has no function ") + name);
    function = reinterpret_cast<std::remove_reference_t<decltype(function)>>(address);
  };
#define CSV2SQL_LIBPQ_FIND(name) find(functions.name, #name);
  CSV2SQL_LIBPQ_FUNCTIONS(CSV2SQL_LIBPQ_FIND)
#undef CSV2SQL_LIBPQ_FIND
  return functions;
}

}  // namespace

const LibPq& libpq() {
  // A failed load throws, so the next session tries again.
  static const LibPq functions = load();
  return functions;
}

}  // namespace csv2sql::db::pg
