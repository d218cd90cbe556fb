#pragma once

#include <QString>

#include <string>

// Chooses the folder of "trace.list". A copy of Velquor unpacked in a folder its user may
// write to keeps the list beside the program, shared by everyone who runs that copy. A
// program its user may not write beside, or one installed under /usr (/usr/bin,
// /usr/local/bin), keeps a list for each user in that user's configuration folder.
class CTraceListLocation {
public:
    // The running program's folder and the application's configuration folder.
    CTraceListLocation();
    CTraceListLocation(QString strProgramFolder, QString strConfigFolder);

    // True when the list lives beside the program.
    bool IsBesideProgram() const;
    // The chosen folder, without a trailing separator.
    QString Folder() const;
    // The chosen folder as the trace-list store takes it. The configuration folder is
    // created when missing, so that saving the list there can succeed; when it cannot be
    // created, saving the list reports the failure.
    std::string PrepareFolder() const;

private:
    QString m_strProgramFolder;
    QString m_strConfigFolder;
};
