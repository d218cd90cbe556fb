#pragma once

#include <QObject>
#include <QStringList>
#include <QTimer>

#include <functional>

class QWidget;

// Keeps modal windows from blocking a test: while it lives, every modal message box that
// opens has its text and caption recorded and is closed with OK; any other modal window is handed
// to the handler, which must close it.
class CModalCloser final : public QObject {
    Q_OBJECT

public:
    explicit CModalCloser(std::function<void(QWidget*)> handler = {});

    QStringList TakeMessages();
    QStringList TakeCaptions();

private:
    void CloseActiveWindow();

    std::function<void(QWidget*)> m_fnHandler;
    QStringList m_messages;
    QStringList m_captions;
    QTimer m_timer;
};
