#pragma once

#include <QWidget>

class CMainCommands;
class QAction;
class QCommandLinkButton;
class QLabel;
class QVBoxLayout;

// What the main frame shows while no analysis window is open: the two ways to open a
// window with their keys, the recent files, and that trace files can be dropped here. Each
// button triggers the frame's own command; a recent file's button follows its command's
// text and visibility.
class CStartPage : public QWidget {
    Q_OBJECT

public:
    CStartPage(CMainCommands& commands, QWidget* parent = nullptr);

private:
    static QLabel* Heading(const QString& text);
    QCommandLinkButton* CommandButton(QAction* action, const QString& text);
    void AddRecentButton(QVBoxLayout& layout, QAction* action);
    void UpdateNoRecentFiles();

    CMainCommands& m_commands;
    QLabel* m_labelNoRecent = nullptr;
};
