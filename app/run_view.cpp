#include "app/run_view.h"

namespace csv2sql {

RunView::RunView(FrmMain& form)
    : form_(form), locked_{&form.txtSourceCSV,    &form.btnSaveSettings, &form.Frame2,
                           &form.Frame3,          &form.Frame4,          &form.Frame5,
                           &form.frameUnattended, &form.frameExports} {}

void RunView::settingsLocked(bool locked) {
  for (std::size_t i = 0; i < locked_.size(); ++i) {
    if (locked) {
      enabledBefore_[i] = locked_[i]->enabled();
      locked_[i]->setEnabled(false);
    } else {
      locked_[i]->setEnabled(enabledBefore_[i]);
    }
  }
}

void RunView::loadDataEnabled(bool enabled) {
  form_.btnTransferData.setEnabled(enabled);
}

void RunView::progress(const std::string& text) {
  form_.lblProgress.setCaption(text);
}

}  // namespace csv2sql
