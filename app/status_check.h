#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "app/run_status.h"
#include "core/datetime.h"

namespace csv2sql {

// A monitoring system's check of the runs (the plugin convention of Nagios, Icinga and Zabbix):
// one line that begins "csv2sql OK", "csv2sql WARNING", "csv2sql CRITICAL" or "csv2sql UNKNOWN",
// and the exit status 0, 1, 2 or 3 that goes with it.
struct StatusCheck {
  int exitStatus;
  std::string line;
};

inline constexpr int kStatusOk = 0, kStatusWarning = 1, kStatusCritical = 2, kStatusUnknown = 3;

// OK after a normal run; WARNING after one that set files aside; CRITICAL after a failed one,
// or when `minutes` is given and no run ended normally within that many minutes before `now`;
// UNKNOWN when no run has left a status yet.
StatusCheck checkStatus(const std::optional<RunStatus>& status, DateTime now,
                        std::optional<std::int32_t> minutes);

}  // namespace csv2sql
