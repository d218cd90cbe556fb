#include "CMessageBoxNotifier.h"

#include <QMessageBox>

void CMessageBoxNotifier::Notify(const std::string& message) {
    Show(QString::fromStdString(message));
}

void CMessageBoxNotifier::Show(const QString& message, const QString& detail) {
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Velquor"), message, QMessageBox::Ok);
    box.setInformativeText(detail);
    box.exec();
}
