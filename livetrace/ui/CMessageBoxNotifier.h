#pragma once

#include "ITraceListNotifier.h"

#include <QString>

// Shows messages in the program's modal message box: caption "Velquor", an OK button,
// no owner window.
class CMessageBoxNotifier final : public ITraceListNotifier {
public:
    void Notify(const std::string& message) override;

    // The detail, when given, goes below the message as the box's informative text.
    static void Show(const QString& message, const QString& detail = QString());
};
