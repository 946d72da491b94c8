#include "dbaccess/providers.h"

#include "core/text.h"

namespace csv2sql::db {

const Provider* findProvider(std::string_view name) {
  for (const Provider& provider : kProviders) {
    if (equalsIgnoreCase(name, provider.name)) return &provider;
  }
  return nullptr;
}

std::vector<std::string> listedProviderNames() {
  std::vector<std::string> names;
  for (const bool sqlServer : {true, false}) {
    for (const Provider& provider : kProviders) {
      if (provider.listed && (provider.kind == ProviderKind::SqlServer) == sqlServer) {
        names.emplace_back(provider.name);
      }
    }
  }
  return names;
}

}  // namespace csv2sql::db
