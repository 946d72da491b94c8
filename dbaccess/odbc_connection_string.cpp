#include "dbaccess/odbc_connection_string.h"

#include <algorithm>
#include <cctype>

#include "core/text.h"

namespace csv2sql::db::odbc {
namespace {

void append(std::string& out, std::string_view key, std::string_view value) {
  out.append(key).append("=").append(connectionValue(value)).append(";");
}

// FreeTDS reads "host\instance" itself, but not Microsoft's "host,port": the port becomes
// its own key.
void appendFreeTdsServer(std::string& out, std::string_view dataSource) {
  const std::size_t comma = dataSource.rfind(',');
  const std::string_view port = comma == std::string_view::npos ? "" : dataSource.substr(comma + 1);
  const bool hasPort = !port.empty() && std::all_of(port.begin(), port.end(), [](unsigned char c) {
    return std::isdigit(c) != 0;
  });
  if (!hasPort) {
    append(out, "SERVER", dataSource);
    return;
  }
  append(out, "SERVER", dataSource.substr(0, comma));
  append(out, "PORT", port);
}

}  // namespace

std::string connectionValue(std::string_view value) {
  const bool plain = value.find_first_of(";{}=") == std::string_view::npos &&
                     (value.empty() || (value.front() != ' ' && value.back() != ' '));
  if (plain) return std::string(value);
  return enclosed(value, '{', '}');
}

bool isFreeTds(std::string_view odbcDriver) {
  const std::string lower = asciiLowerCase(odbcDriver);
  return lower.find("freetds") != std::string::npos || lower.find("tdsodbc") != std::string::npos;
}

std::string odbcConnectionString(const ConnectionSettings& settings, std::string_view odbcDriver) {
  std::string out;
  if (odbcDriver.empty()) {
    append(out, "DSN", settings.dataSource);
  } else {
    out.append("DRIVER={").append(odbcDriver).append("};");
    if (isFreeTds(odbcDriver)) {
      appendFreeTdsServer(out, settings.dataSource);
    } else {
      append(out, "SERVER", settings.dataSource);
    }
  }
  if (!settings.initialCatalog.empty()) append(out, "DATABASE", settings.initialCatalog);
  if (!settings.userId.empty() || !settings.password.empty()) {
    append(out, "UID", settings.userId);
    append(out, "PWD", settings.password);
  }
  if (isFreeTds(odbcDriver)) {
    // The newest protocol FreeTDS speaks, which SQL Server 2008 and later accept; FreeTDS
    // negotiates encryption itself ("request" by default).
    out.append("TDS_Version=7.4;");
  } else if (!odbcDriver.empty()) {
    // The OLE DB providers this replaces did not encrypt by default nor check certificates,
    // and plant servers mostly run with their self-signed one. Microsoft's driver 18 would
    // refuse those; encrypting while trusting the certificate keeps them reachable and still
    // keeps the traffic private.
    out.append("Encrypt=yes;TrustServerCertificate=yes;");
  }
  return out;
}

}  // namespace csv2sql::db::odbc
