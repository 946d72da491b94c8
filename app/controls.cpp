#include "app/controls.h"

namespace csv2sql {

Control::Control(std::string name, std::string container, Geometry geometry, int tabIndex)
    : name_(std::move(name)),
      container_(std::move(container)),
      geometry_(geometry),
      tabIndex_(tabIndex) {}

void Control::setGeometry(Geometry geometry) {
  geometry_ = geometry;
  notify();
}

void Control::setVisible(bool visible) {
  if (visible_ == visible) return;
  visible_ = visible;
  notify();
}

void Control::setEnabled(bool enabled) {
  if (enabled_ == enabled) return;
  enabled_ = enabled;
  notify();
}

Label::Label(std::string name, std::string container, Geometry geometry, int tabIndex,
             std::string caption)
    : Control(std::move(name), std::move(container), geometry, tabIndex),
      caption_(std::move(caption)) {}

void Label::setCaption(std::string caption) {
  if (caption_ == caption) return;
  caption_ = std::move(caption);
  notify();
}

void Button::click() const {
  if (enabled() && onClick) onClick();
}

TextBox::TextBox(std::string name, std::string container, Geometry geometry, int tabIndex,
                 std::string text, char passwordChar)
    : Control(std::move(name), std::move(container), geometry, tabIndex),
      text_(std::move(text)),
      passwordChar_(passwordChar) {}

void TextBox::setText(std::string text) {
  if (text_ == text) return;
  text_ = std::move(text);
  notify();
}

void CheckBox::setValue(int value) {
  if (value_ == value) return;
  value_ = value;
  notify();
  clicked_.emit();
}

void ComboBox::addItem(std::string item) {
  items_.push_back(std::move(item));
  notify();
}

void ListBox::addItem(std::string item) {
  items_.push_back(std::move(item));
  itemAdded_.emit(items_.size() - 1);
}

void Timer::setEnabled(bool enabled) {
  if (enabled_ == enabled) return;
  enabled_ = enabled;
  changed_.emit();
}

void Timer::setInterval(std::int32_t milliseconds) {
  if (interval_ == milliseconds) return;
  interval_ = milliseconds;
  changed_.emit();
}

void Timer::tick() const {
  if (enabled_ && onTick) onTick();
}

}  // namespace csv2sql
