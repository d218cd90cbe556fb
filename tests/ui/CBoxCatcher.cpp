#include "CBoxCatcher.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

CBoxCatcher::CBoxCatcher(bool answer) : m_bAnswer(answer) {
    connect(&m_timer, &QTimer::timeout, this, &CBoxCatcher::Poll);
    m_timer.start(10);
}

void CBoxCatcher::Poll() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        auto* box = qobject_cast<QMessageBox*>(widget);
        if (box == nullptr || !box->isVisible()) {
            continue;
        }
        if (box != m_last) {
            m_last = box;
            m_boxes << box->windowTitle() + QStringLiteral(": ") + box->text();
        }
        if (m_bAnswer) {
            QPushButton* button = box->defaultButton();
            if (button != nullptr) {
                button->click();
            } else {
                box->accept();
            }
            m_last = nullptr;
        }
    }
}
