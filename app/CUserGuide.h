#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>

class QWidget;

// Finds the HTML user guide "usingvelquor.htm" and opens it in the desktop's viewer.
// The guide is looked for in the current folder first, then beside the program, then in
// the documentation folder of the installation the program runs from.
class CUserGuide {
public:
    static constexpr const char* s_szFileName = "usingvelquor.htm";

    CUserGuide();
    explicit CUserGuide(QStringList listFolders);

    static QStringList StandardFolders();
    const QStringList& Folders() const { return m_listFolders; }

    // Absolute path of the first guide found, or empty when there is none.
    QString Locate() const;
    // file: URL of the guide found, or an empty URL.
    QUrl Url() const;
    // True when a guide was found and the desktop accepted to open it.
    bool Open() const;
    // Opens the guide, or tells the user where it was looked for when that fails.
    void OpenOrReport(QWidget* pParent) const;

private:
    QStringList m_listFolders;
};
