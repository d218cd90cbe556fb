#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

// Answers the modal message boxes that appear while it lives, pressing their default button,
// and records each box's caption and text ("caption: text").
class CBoxCatcher : public QObject {
    Q_OBJECT

public:
    explicit CBoxCatcher(bool answer = true);

    const QStringList& Boxes() const { return m_boxes; }
    // Stops answering; boxes that appear from now on are recorded but left open.
    void SetAnswering(bool answer) { m_bAnswer = answer; }

private:
    void Poll();

    QTimer m_timer;
    QStringList m_boxes;
    QObject* m_last = nullptr;
    bool m_bAnswer;
};
