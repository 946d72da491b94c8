#include "app/ui/widget_binding.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QProxyStyle>
#include <QPushButton>
#include <QTableView>
#include <limits>

#include "app/grid.h"
#include "app/ui/control_binding.h"
#include "app/ui/grid_model.h"
#include "app/ui/qt_text.h"
#include "app/view/window_layout.h"

namespace csv2sql {

namespace {

// Shows the control's own password character for every character typed.
class PasswordStyle final : public QProxyStyle {
 public:
  explicit PasswordStyle(char passwordChar) : passwordChar_(passwordChar) {}
  int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                QStyleHintReturn* returnData) const override {
    if (hint == SH_LineEdit_PasswordCharacter) return static_cast<unsigned char>(passwordChar_);
    return QProxyStyle::styleHint(hint, option, widget, returnData);
  }

 private:
  char passwordChar_;
};

// Lists only ever grow at their end, so a view appends what it lacks and never rebuilds.
template <typename ListWidget>
void appendMissing(ListWidget& widget, const std::vector<std::string>& items) {
  for (auto i = static_cast<std::size_t>(widget.count()); i < items.size(); ++i) {
    widget.addItem(toQt(items[i]));
  }
}

Qt::CheckState checkState(int value) {
  if (value == 1) return Qt::Checked;
  if (value == 2) return Qt::PartiallyChecked;
  return Qt::Unchecked;
}

QWidget* makeWidget(Button& button, QWidget& parent, TwipScale scale) {
  auto* widget = new QPushButton(&parent);
  auto* binding = ControlBinding::bind(
      button, *widget, scale, [&button, widget] { widget->setText(toQt(button.caption())); });
  QObject::connect(widget, &QPushButton::clicked, binding,
                   [binding, &button] { binding->fromView([&button] { button.click(); }); });
  return widget;
}

QWidget* makeWidget(CheckBox& box, QWidget& parent, TwipScale scale) {
  auto* widget = new QCheckBox(&parent);
  auto* binding = ControlBinding::bind(box, *widget, scale, [&box, widget] {
    widget->setText(toQt(box.caption()));
    // Grayed only when the control says so: the operator's clicks check and uncheck.
    widget->setTristate(box.value() == 2);
    widget->setCheckState(checkState(box.value()));
  });
  QObject::connect(widget, &QCheckBox::clicked, binding, [binding, &box, widget] {
    binding->fromView([&box, widget] { box.setValue(widget->isChecked() ? 1 : 0); });
  });
  return widget;
}

QWidget* makeWidget(Frame& frame, QWidget& parent, TwipScale scale) {
  auto* widget = new QGroupBox(&parent);
  ControlBinding::bind(frame, *widget, scale,
                       [&frame, widget] { widget->setTitle(toQt(frame.caption())); });
  return widget;
}

QWidget* makeWidget(Label& label, QWidget& parent, TwipScale scale) {
  auto* widget = new QLabel(&parent);
  widget->setTextFormat(Qt::PlainText);
  widget->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  ControlBinding::bind(label, *widget, scale,
                       [&label, widget] { widget->setText(toQt(label.caption())); });
  return widget;
}

QWidget* makeWidget(TextBox& box, QWidget& parent, TwipScale scale) {
  auto* widget = new QLineEdit(&parent);
  // A text box holds whatever its control holds: Qt's default limit would cut long texts.
  widget->setMaxLength(std::numeric_limits<int>::max());
  if (box.passwordChar() != '\0') {
    widget->setEchoMode(QLineEdit::Password);
    auto* style = new PasswordStyle(box.passwordChar());
    style->setParent(widget);
    widget->setStyle(style);
  }
  auto* binding = ControlBinding::bind(box, *widget, scale, [&box, widget] {
    const QString text = toQt(box.text());
    // Setting the same text again would move the operator's cursor.
    if (widget->text() != text) widget->setText(text);
  });
  QObject::connect(widget, &QLineEdit::textEdited, binding, [binding, &box](const QString& text) {
    binding->fromView([&box, &text] { box.setText(fromQt(text)); });
  });
  return widget;
}

QWidget* makeWidget(ComboBox& box, QWidget& parent, TwipScale scale) {
  auto* widget = new QComboBox(&parent);
  widget->setEditable(true);
  // Typed names stay typed: no completion from the list, no new list entries on Enter.
  widget->setCompleter(nullptr);
  widget->setInsertPolicy(QComboBox::NoInsert);
  widget->lineEdit()->setMaxLength(std::numeric_limits<int>::max());
  auto* binding = ControlBinding::bind(box, *widget, scale, [&box, widget] {
    appendMissing(*widget, box.items());
    const QString text = toQt(box.text());
    if (widget->currentText() != text) widget->setEditText(text);
  });
  // Typing, picking from the list and the arrow keys all change the edit text.
  QObject::connect(widget, &QComboBox::editTextChanged, binding,
                   [binding, &box](const QString& text) {
                     binding->fromView([&box, &text] { box.setText(fromQt(text)); });
                   });
  return widget;
}

QWidget* makeWidget(ListBox& box, QWidget& parent, TwipScale scale) {
  auto* widget = new QListWidget(&parent);
  widget->setUniformItemSizes(true);
  ControlBinding::bind(box, *widget, scale, {});
  appendMissing(*widget, box.items());
  // The log follows its newest line.
  box.itemAdded().connect([&box, list = QPointer<QListWidget>(widget)](std::size_t) {
    if (!list) return;
    appendMissing(*list, box.items());
    list->scrollToBottom();
  });
  return widget;
}

QWidget* makeWidget(Grid& grid, QWidget& parent, TwipScale scale) {
  auto* widget = new QTableView(&parent);
  widget->setModel(new GridModel(grid, widget));
  widget->setWordWrap(false);
  // A point smaller than the window's captions, so that a whole date-time fits in a column.
  QFont font = widget->font();
  if (font.pointSize() > 1) {
    font.setPointSize(font.pointSize() - 1);
    widget->setFont(font);
  }
  widget->verticalHeader()->setDefaultSectionSize(widget->fontMetrics().height() + 6);
  if (!grid.columnHeaders().empty()) {
    // The offset table: the period columns share the width, the offset takes what it needs.
    QHeaderView& header = *widget->horizontalHeader();
    header.setSectionResizeMode(QHeaderView::Stretch);
    header.setSectionResizeMode(header.count() - 1, QHeaderView::ResizeToContents);
  }
  ControlBinding::bind(grid, *widget, scale, {});
  return widget;
}

// A kind of control that has no widget of its own yet: still in its place, visible or not.
QWidget* makeWidget(Control& control, QWidget& parent, TwipScale scale) {
  auto* widget = new QWidget(&parent);
  ControlBinding::bind(control, *widget, scale, {});
  return widget;
}

}  // namespace

QWidget* makeBoundWidget(Control& control, QWidget& parent, TwipScale scale) {
  return visitKind(control, [&parent, scale](auto& kind) -> QWidget* {
    return makeWidget(kind, parent, scale);
  });
}

}  // namespace csv2sql
