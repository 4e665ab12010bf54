#pragma once

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

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

}  // namespace koru::ui
