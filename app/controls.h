#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "app/signal.h"

namespace csv2sql {

// Place and size in twips, relative to the container's inside.
struct Geometry {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
};

// What every control has: a name (the widget's object name), a container (a frame's name, or
// empty for the window), its place, tab position, visibility and enabled state.
class Control {
 public:
  Control(std::string name, std::string container, Geometry geometry, int tabIndex);
  virtual ~Control() = default;
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;

  const std::string& name() const { return name_; }
  const std::string& container() const { return container_; }
  int tabIndex() const { return tabIndex_; }

  const Geometry& geometry() const { return geometry_; }
  void setGeometry(Geometry geometry);
  bool visible() const { return visible_; }
  void setVisible(bool visible);
  bool enabled() const { return enabled_; }
  void setEnabled(bool enabled);

  // Runs after any property of the control changed.
  Signal<>& changed() { return changed_; }

 protected:
  void notify() const { changed_.emit(); }

 private:
  std::string name_;
  std::string container_;
  Geometry geometry_;
  int tabIndex_;
  bool visible_ = true;
  bool enabled_ = true;
  Signal<> changed_;
};

class Label : public Control {
 public:
  Label(std::string name, std::string container, Geometry geometry, int tabIndex,
        std::string caption);
  const std::string& caption() const { return caption_; }
  void setCaption(std::string caption);

 private:
  std::string caption_;
};

class Frame : public Label {
  using Label::Label;
};

class Button : public Label {
 public:
  using Label::Label;
  // The handler that a click runs.
  std::function<void()> onClick;
  // A click by the operator: nothing happens while the button is disabled.
  void click() const;
};

class TextBox : public Control {
 public:
  TextBox(std::string name, std::string container, Geometry geometry, int tabIndex,
          std::string text = {}, char passwordChar = '\0');
  const std::string& text() const { return text_; }
  void setText(std::string text);
  char passwordChar() const { return passwordChar_; }

 private:
  std::string text_;
  char passwordChar_;
};

class CheckBox : public Label {
 public:
  using Label::Label;
  // 0 unchecked, 1 checked, 2 grayed.
  int value() const { return value_; }
  // Runs the click handlers when the value changes, not when it is set to what it holds.
  void setValue(int value);
  Signal<>& clicked() { return clicked_; }

 private:
  int value_ = 0;
  Signal<> clicked_;
};

// A drop-down list whose text can also be typed freely.
class ComboBox : public TextBox {
 public:
  using TextBox::TextBox;
  const std::vector<std::string>& items() const { return items_; }
  void addItem(std::string item);

 private:
  std::vector<std::string> items_;
};

class ListBox : public Control {
 public:
  using Control::Control;
  const std::vector<std::string>& items() const { return items_; }
  void addItem(std::string item);
  // Runs with the index of each item added, so a view can append without a full refresh.
  Signal<std::size_t>& itemAdded() { return itemAdded_; }

 private:
  std::vector<std::string> items_;
  Signal<std::size_t> itemAdded_;
};

// A timer that ticks every interval milliseconds while enabled; the host binds it to a real
// timer and calls tick().
class Timer {
 public:
  explicit Timer(std::string name) : name_(std::move(name)) {}
  const std::string& name() const { return name_; }
  bool enabled() const { return enabled_; }
  void setEnabled(bool enabled);
  std::int32_t interval() const { return interval_; }
  void setInterval(std::int32_t milliseconds);
  std::function<void()> onTick;
  void tick() const;
  Signal<>& changed() { return changed_; }

 private:
  std::string name_;
  bool enabled_ = false;
  std::int32_t interval_ = 0;
  Signal<> changed_;
};

}  // namespace csv2sql
