#pragma once

#include <QString>

// The target of a hyperlink control: an address text and the operation that opens it.
// Navigate is virtual so that a control can be given a target that opens differently.
class CLinkTarget {
public:
    explicit CLinkTarget(QString strTarget = {});
    virtual ~CLinkTarget();

    const QString& Target() const { return m_strTarget; }
    void SetTarget(QString strTarget);

    // Hands the target to the desktop (browser, mail program, file viewer).
    // Returns true when the desktop accepted it; an empty, malformed or relative
    // address, or a local file that does not exist, is refused without trying.
    virtual bool Navigate() const;

private:
    QString m_strTarget;
};
