#include "app/entry.h"

#include <algorithm>
#include <cctype>
#include <string_view>

#include "app/program.h"
#include "core/text.h"

namespace csv2sql {

std::string argumentText(int argc, char** argv) {
  std::string text;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) text += ' ';
    text += argv[i];
  }
  return text;
}

bool isServiceStart(const std::string& text) {
  return equalsIgnoreCase(text, "NTSERVICE");
}

bool startsWithoutWindow(const std::string& text) {
  return isServiceStart(text) || text == "1";
}

int runProgram(Session& session, const std::string& argumentText, Host& host) {
  session.ServiceMode = isServiceStart(argumentText);
  host.installPorts(session);
  Program program(session);
  host.attach(program);
  program.Form_Load(argumentText);
  if (program.exitRequested()) return program.exitCode();
  if (session.ServiceMode) {
    // Automatic runs whatever chkAutoRun holds: that is what the service start is for.
    program.scheduler().btnStartAutoRun_Click();
    return host.run(false);
  }
  return host.run(true);
}

}  // namespace csv2sql
