#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <algorithm>
#include <functional>

#include "wizard/controls.h"

namespace koru::ui {

inline QString qtText(const std::string& text) { return QString::fromStdString(text); }

template <class Widget>
void bindCommon(Widget* widget, const wizard::Control& control) {
    widget->setEnabled(control.enabled);
    widget->setVisible(control.visible);
    widget->setToolTip(qtText(control.toolTip));
}

inline void bind(QLabel* widget, const wizard::Label& label) {
    widget->setText(qtText(label.caption));
    bindCommon(widget, label);
}

inline void bind(QPushButton* widget, const wizard::Button& button) {
    widget->setText(qtText(button.caption));
    bindCommon(widget, button);
}

inline void bind(QPlainTextEdit* widget, const wizard::TextBox& box) {
    if (widget->toPlainText() != qtText(box.text)) widget->setPlainText(qtText(box.text));
    bindCommon(widget, box);
}

inline void bind(QGroupBox* widget, const wizard::Label& frame) {
    widget->setTitle(qtText(frame.caption));
    bindCommon(widget, frame);
}

inline void bind(QLineEdit* widget, const wizard::TextBox& box) {
    if (widget->text() != qtText(box.text)) widget->setText(qtText(box.text));
    widget->setReadOnly(box.locked);
    bindCommon(widget, box);
}

inline void bind(QRadioButton* widget, const wizard::OptionButton& option) {
    widget->setText(qtText(option.caption));
    widget->setChecked(option.value);
    bindCommon(widget, option);
}

inline void bind(QCheckBox* widget, const wizard::CheckBox& check) {
    widget->setText(qtText(check.caption));
    widget->setChecked(check.value);
    bindCommon(widget, check);
}

inline void bind(QProgressBar* widget, const wizard::ProgressBar& bar) {
    // An empty range would show Qt's busy animation instead of an empty bar.
    int max = bar.max > bar.min ? bar.max : bar.min + 1;
    widget->setRange(bar.min, max);
    widget->setValue(std::clamp(bar.value, bar.min, max));  // Qt ignores a value out of range
    bindCommon(widget, bar);
}

// Items, selection and, for an editable box, the typed text.
inline void bind(QComboBox* widget, const wizard::ComboBox& combo) {
    QSignalBlocker quiet(widget);
    bool same = widget->count() == combo.listCount();
    for (int i = 0; same && i < combo.listCount(); ++i) same = widget->itemText(i) == qtText(combo.items[i].text);
    if (!same) {
        widget->clear();
        for (const auto& item : combo.items) widget->addItem(qtText(item.text));
    }
    widget->setCurrentIndex(combo.listIndex);
    if (widget->isEditable() && widget->currentText() != qtText(combo.text)) widget->setEditText(qtText(combo.text));
    bindCommon(widget, combo);
}

inline void bind(QListWidget* widget, const wizard::ListBox& list) {
    QSignalBlocker quiet(widget);
    bool same = widget->count() == list.listCount();
    for (int i = 0; same && i < list.listCount(); ++i) same = widget->item(i)->text() == qtText(list.items[i].text);
    if (!same) {
        widget->clear();
        for (const auto& item : list.items) widget->addItem(qtText(item.text));
    }
    widget->setCurrentRow(list.listIndex);
    bindCommon(widget, list);
}

// What the user types goes into the model at once; `changed` runs after.
inline void follow(QLineEdit* widget, wizard::TextBox& box, std::function<void()> changed = {}) {
    QObject::connect(widget, &QLineEdit::textEdited, widget, [&box, changed](const QString& text) {
        box.text = text.toStdString();
        if (changed) changed();
    });
}

inline void follow(QPlainTextEdit* widget, wizard::TextBox& box) {
    QObject::connect(widget, &QPlainTextEdit::textChanged, widget,
                     [widget, &box] { box.text = widget->toPlainText().toStdString(); });
}

inline void follow(QComboBox* widget, wizard::ComboBox& combo) {
    QObject::connect(widget, &QComboBox::editTextChanged, widget,
                     [&combo](const QString& text) { combo.text = text.toStdString(); });
}

}  // namespace koru::ui
