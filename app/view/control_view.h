#pragma once

#include <functional>

#include "app/controls.h"
#include "app/view/twips.h"

namespace csv2sql {

// Keeps one view of a control (a widget, a native window) in step with it: a change of the
// control shows in the view: place and size, visibility, enabled state, and what the view's kind
// shows. The host connects the control's changed() to refresh() for as long as the view lives.
class ControlView {
 public:
  ControlView(Control& control, TwipScale scale) : control_(control), scale_(scale) {}
  virtual ~ControlView() = default;
  ControlView(const ControlView&) = delete;
  ControlView& operator=(const ControlView&) = delete;

  Control& control() const { return control_; }
  const TwipScale& scale() const { return scale_; }

  // Shows the control's current state.
  void refresh();
  // The screen's scale changed (the window moved to a monitor of another DPI).
  void rescale(TwipScale scale);

  // Runs an edit of the operator's into the control, unless the view's own refresh caused the
  // view's notification: that would echo the control back into itself.
  void fromView(const std::function<void()>& edit) const;

 protected:
  // Where the view lies and whether it is shown and enabled: as the control says, for a view
  // inside its frame's view; a view that lies in the window itself adds what its frames say.
  virtual Geometry placeInParent() const { return control_.geometry(); }
  virtual bool shownInParent() const { return control_.visible(); }
  virtual bool enabledInParent() const { return control_.enabled(); }

  // The control's place in pixels; the view moves there when it is elsewhere.
  virtual void place(const PixelRect& rect) = 0;
  virtual void show(bool visible) = 0;
  virtual void enable(bool enabled) = 0;
  // What the kind shows: a caption, a text, a check state, list items.
  virtual void showKind() {}

 private:
  Control& control_;
  TwipScale scale_;
  bool refreshing_ = false;
};

}  // namespace csv2sql
