#pragma once

#include <array>
#include <string>

#include "app/frm_main.h"
#include "import/import_run.h"

namespace csv2sql {

// A run as the window shows it: the setting frames greyed for its length (the automatic-run
// frame stays open for "Stop Autorun"), "Load Data" and the progress line.
class RunView final : public RunObserver {
 public:
  explicit RunView(FrmMain& form);

  void settingsLocked(bool locked) override;
  void loadDataEnabled(bool enabled) override;
  void progress(const std::string& text) override;

 private:
  FrmMain& form_;
  std::array<Control*, 8> locked_;
  // What each locked control was before the run, restored when it ends.
  std::array<bool, 8> enabledBefore_{};
};

}  // namespace csv2sql
