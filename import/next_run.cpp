#include "core/datetime_text.h"
#include "core/text.h"
#include "import/import_run.h"

namespace csv2sql {

void setNextRunTime(Session& session) {
  FrmMain& form = session.frmMain;
  const DateTime next = session.clock->now().addMinutes(leadingNumber(form.txtAutoRun.text()));
  form.lblNextRun.setCaption(formatGeneralDate(next));
}

}  // namespace csv2sql
