#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>

class QWidget;

// Finds the HTML user guide "usingvelquor.htm" and opens it in the desktop's viewer, or in
// a window of Velquor's own when the desktop has no program for HTML pages.
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
    // True when a guide was found, the desktop has a program for HTML pages and it
    // accepted to open the guide.
    bool Open() const;
    // Opens the guide in the desktop's viewer, else shows it in the guide window that
    // belongs to pParent; tells the user where it was looked for when there is none.
    void OpenOrReport(QWidget* pParent) const;

    // Whether the desktop has a program that shows HTML pages. Qt hands a page to xdg-open
    // when that is installed and reports success as soon as xdg-open starts, even when
    // xdg-open then finds nothing to show it with. In a desktop session xdg-open uses the
    // program registered for text/html, else $BROWSER or Debian's x-www-browser. Without
    // xdg-open, Qt looks for a browser itself and reports whether it found one.
    static bool DesktopShowsHtml();

private:
    static constexpr int kQueryTimeoutMs = 3000;

    QStringList m_listFolders;
};
