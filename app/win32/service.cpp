#include "app/win32/service.h"

#include <windows.h>

#include <chrono>
#include <ostream>
#include <string>
#include <string_view>
#include <system_error>
#include <thread>

#include "app/win32/wide_text.h"
#include "core/platform.h"

namespace csv2sql {

namespace {

wchar_t kServiceName[] = L"csv2sql";
constexpr const wchar_t* kDescription =
    L"Moves time-stamped readings from CSV files into a SQL table (csv2sql NTSERVICE: the "
    L"automatic imports of config.ini beside the program).";
// How long a stop may take: the file in progress is finished first.
constexpr DWORD kStopWaitMs = 120000;

struct ServiceHandle {
  SC_HANDLE handle;
  explicit ServiceHandle(SC_HANDLE h) : handle(h) {}
  ~ServiceHandle() {
    if (handle != nullptr) CloseServiceHandle(handle);
  }
  ServiceHandle(const ServiceHandle&) = delete;
  ServiceHandle& operator=(const ServiceHandle&) = delete;
};

std::string lastError() {
  return std::system_category().message(static_cast<int>(GetLastError()));
}

int installService(std::ostream& out, std::ostream& err) {
  const ServiceHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CREATE_SERVICE));
  if (manager.handle == nullptr) {
    err << "csv2sql: the service control manager cannot be opened (run as an administrator): "
        << lastError() << "\n";
    return 1;
  }
  const std::wstring command = L"\"" + platform::executablePath().wstring() + L"\" NTSERVICE";
  const ServiceHandle service(
      CreateServiceW(manager.handle, kServiceName, kServiceName, SERVICE_ALL_ACCESS,
                     SERVICE_WIN32_OWN_PROCESS, SERVICE_AUTO_START, SERVICE_ERROR_NORMAL,
                     command.c_str(), nullptr, nullptr, nullptr, nullptr, nullptr));
  if (service.handle == nullptr) {
    err << "csv2sql: the service csv2sql cannot be installed: " << lastError() << "\n";
    return 1;
  }
  SERVICE_DESCRIPTIONW description{const_cast<wchar_t*>(kDescription)};
  ChangeServiceConfig2W(service.handle, SERVICE_CONFIG_DESCRIPTION, &description);
  out << "csv2sql: the service csv2sql is installed (started with Windows; now: net start "
         "csv2sql).\n";
  return 0;
}

// Asks a running service to stop and waits until it has.
void stopService(SC_HANDLE service) {
  SERVICE_STATUS status{};
  if (!ControlService(service, SERVICE_CONTROL_STOP, &status)) return;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kStopWaitMs);
  while (status.dwCurrentState != SERVICE_STOPPED && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(250));
    if (!QueryServiceStatus(service, &status)) return;
  }
}

int removeService(std::ostream& out, std::ostream& err) {
  const ServiceHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
  const ServiceHandle service(manager.handle == nullptr
                                  ? nullptr
                                  : OpenServiceW(manager.handle, kServiceName,
                                                 SERVICE_STOP | SERVICE_QUERY_STATUS | DELETE));
  if (service.handle == nullptr) {
    err << "csv2sql: the service csv2sql cannot be opened: " << lastError() << "\n";
    return 1;
  }
  stopService(service.handle);
  if (!DeleteService(service.handle)) {
    err << "csv2sql: the service csv2sql cannot be removed: " << lastError() << "\n";
    return 1;
  }
  out << "csv2sql: the service csv2sql is removed.\n";
  return 0;
}

// What the service control manager's threads share with the service's own.
const std::function<int()>* serviceWork = nullptr;
void (*serviceStop)() = nullptr;
SERVICE_STATUS_HANDLE statusHandle = nullptr;
std::optional<int> serviceExit;

void report(DWORD state, DWORD exitStatus = 0) {
  SERVICE_STATUS status{};
  status.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
  status.dwCurrentState = state;
  status.dwControlsAccepted =
      state == SERVICE_RUNNING ? SERVICE_ACCEPT_STOP | SERVICE_ACCEPT_SHUTDOWN : 0;
  if (exitStatus != 0) {
    status.dwWin32ExitCode = ERROR_SERVICE_SPECIFIC_ERROR;
    status.dwServiceSpecificExitCode = exitStatus;
  }
  status.dwWaitHint = state == SERVICE_STOP_PENDING ? kStopWaitMs : 0;
  SetServiceStatus(statusHandle, &status);
}

DWORD WINAPI onControl(DWORD control, DWORD, void*, void*) {
  if (control == SERVICE_CONTROL_STOP || control == SERVICE_CONTROL_SHUTDOWN) {
    report(SERVICE_STOP_PENDING);
    serviceStop();
    return NO_ERROR;
  }
  return control == SERVICE_CONTROL_INTERROGATE ? NO_ERROR : ERROR_CALL_NOT_IMPLEMENTED;
}

void WINAPI serviceMain(DWORD, wchar_t**) {
  statusHandle = RegisterServiceCtrlHandlerExW(kServiceName, onControl, nullptr);
  if (statusHandle == nullptr) return;
  report(SERVICE_RUNNING);
  serviceExit = (*serviceWork)();
  report(SERVICE_STOPPED, static_cast<DWORD>(*serviceExit));
}

}  // namespace

std::optional<int> runServiceCommand(int argc, char** argv, std::ostream& out, std::ostream& err) {
  if (argc != 2) return std::nullopt;
  const std::string_view command = argv[1];
  if (command == "--install-service") return installService(out, err);
  if (command == "--remove-service") return removeService(out, err);
  return std::nullopt;
}

std::optional<int> runAsService(const std::function<int()>& work, void (*stop)()) {
  serviceWork = &work;
  serviceStop = stop;
  SERVICE_TABLE_ENTRYW table[] = {{kServiceName, serviceMain}, {nullptr, nullptr}};
  // Returns once the service has stopped; fails at once when no service control manager
  // started this process.
  if (!StartServiceCtrlDispatcherW(table)) return std::nullopt;
  return serviceExit.value_or(1);
}

}  // namespace csv2sql
