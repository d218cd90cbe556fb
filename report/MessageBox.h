#pragma once

#include <QString>

class QWidget;

// A modal message box without an icon, with an OK button, over `parent` (none: centred on the
// screen); returns when the user closed it.
void ShowMessageBox(QWidget* parent, const QString& caption, const QString& text);
