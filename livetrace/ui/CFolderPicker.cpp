#include "CFolderPicker.h"

#include <QDir>
#include <QGridLayout>
#include <QLabel>

CFolderPicker::CFolderPicker(const QString& initialText, QWidget* owner) : QFileDialog(owner) {
    setOption(QFileDialog::DontUseNativeDialog);
    setOption(QFileDialog::ShowDirsOnly);
    setFileMode(QFileDialog::Directory);
    setWindowTitle(QStringLiteral("Current Selection"));
    // The initial text is offered as a starting folder only when it names one.
    if (!initialText.isEmpty() && QDir(initialText).exists()) {
        setDirectory(initialText);
    }
    AddStatusLine(initialText);
    connect(this, &QFileDialog::currentChanged, this, &CFolderPicker::ShowStatus);
    connect(this, &QFileDialog::directoryEntered, this, &CFolderPicker::ShowStatus);
}

// The non-native dialog lays its widgets out in a grid; the status line goes below them.
void CFolderPicker::AddStatusLine(const QString& initialText) {
    auto* grid = qobject_cast<QGridLayout*>(layout());
    if (grid == nullptr) {
        return;
    }
    m_pStatus = new QLabel(this);
    m_pStatus->setObjectName(QStringLiteral("m_labelStatus"));
    grid->addWidget(m_pStatus, grid->rowCount(), 0, 1, grid->columnCount());
    ShowStatus(initialText);
}

void CFolderPicker::ShowStatus(const QString& path) {
    if (m_pStatus != nullptr) {
        m_pStatus->setText(ShortenForStatus(path));
    }
}

QString CFolderPicker::GetResultPath() const {
    return selectedFiles().value(0);
}

QString CFolderPicker::GetStatusText() const {
    return m_pStatus == nullptr ? QString() : m_pStatus->text();
}

QString CFolderPicker::ShortenForStatus(const QString& text) {
    if (text.size() <= kStatusLength) {
        return text;
    }
    QString head = text.left(kStatusLength);
    // Never end on half of a character that needs two UTF-16 units.
    if (head.back().isHighSurrogate()) {
        head.chop(1);
    }
    return head + QStringLiteral("...");
}
