#pragma once

#include <QBoxLayout>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QSize>

namespace koru::ui {

// The white band with the window's title in bold, at the top of wizard pages and dialogs.
inline QFrame* titleBand(QWidget* window, QLabel* title) {
    QFont titleFont = title->font();
    titleFont.setBold(true);
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.1);
    title->setFont(titleFont);
    title->setWordWrap(true);
    auto* header = new QFrame(window);
    header->setObjectName("wizardHeader");
    header->setStyleSheet("QFrame#wizardHeader { background: white; border-bottom: 1px solid #b0b0b0; }");
    auto* headerLayout = new QHBoxLayout(header);
    headerLayout->setContentsMargins(14, 10, 14, 10);
    headerLayout->addWidget(title);
    return header;
}

// Every wizard page has this size, so that the window neither jumps nor resizes from step to
// step; it fits a 1280 x 800 display with its frame and a panel.
inline constexpr QSize kWizardPageSize{860, 600};

// The frame every wizard page shares: a title at the top, the page, a rule and the
// Back / Next / Exit row at the bottom.
inline QVBoxLayout* wizardPage(QWidget* window, QLabel* title, QLayout* page, QPushButton* back,
                               QPushButton* next, QPushButton* exit) {
    window->setFixedSize(kWizardPageSize);
    QFrame* header = titleBand(window, title);

    auto* rule = new QFrame(window);
    rule->setFrameShape(QFrame::HLine);
    rule->setFrameShadow(QFrame::Sunken);
    next->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->setContentsMargins(10, 6, 10, 10);
    buttons->addStretch();
    buttons->addWidget(back);
    buttons->addWidget(next);
    buttons->addSpacing(12);
    buttons->addWidget(exit);

    auto* outer = new QVBoxLayout(window);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);
    outer->addWidget(header);
    page->setContentsMargins(14, 10, 14, 6);
    outer->addLayout(page, 1);
    outer->addWidget(rule);
    outer->addLayout(buttons);
    return outer;
}

// The frame of a dialog: the title band, then the page with its margins.
inline QVBoxLayout* dialogPage(QWidget* window, QLabel* title, QVBoxLayout* page) {
    page->setContentsMargins(14, 10, 14, 12);
    page->setSpacing(8);
    auto* outer = new QVBoxLayout(window);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);
    outer->addWidget(titleBand(window, title));
    outer->addLayout(page, 1);
    return outer;
}

}  // namespace koru::ui
