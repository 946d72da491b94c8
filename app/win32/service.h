#pragma once

#include <functional>
#include <iosfwd>
#include <optional>

namespace csv2sql {

// The program as a Windows service named "csv2sql", started automatically with the system and
// running "csv2sql.exe NTSERVICE".

// --install-service and --remove-service: registers the program with the service control
// manager or removes it (stopping it first). Their exit status, or nothing for other arguments.
std::optional<int> runServiceCommand(int argc, char** argv, std::ostream& out, std::ostream& err);

// For the NTSERVICE start: when the service control manager started the program, runs `work`
// as the service (a stop or shutdown request calls `stop`, which asks work to end after the
// current file) and returns its exit status once it ended; nothing when the program was started
// some other way (from a console or a task), which then runs as usual.
std::optional<int> runAsService(const std::function<int()>& work, void (*stop)());

}  // namespace csv2sql
