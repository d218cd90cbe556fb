#pragma once

#include "CBoxNotifier.h"
#include "COpenRequest.h"
#include "CPosixFileSystem.h"
#include "CStatementListModel.h"
#include "CTraceAnalyzer.h"

#include <QObject>
#include <QString>

#include <atomic>
#include <cstdint>
#include <functional>
#include <future>
#include <memory>
#include <string>
#include <vector>

class CCommandTypeCatalog;
class CFileReadWorker;
class CRefreshWorker;
class QWidget;

// The analysis of one window: the analyser with its records, the list model over them, the
// worker that reads, the file system it reads through and the message boxes of its
// problems. Set up from the open request; Start reads the trace files once on a worker
// thread (file mode) or starts the worker that reads the trace folder every period while
// running (live mode). Either way the records are only changed on the user interface thread:
// the workers hand finished batches over. Work that only reads them may run on a worker
// thread meanwhile (WorkOnRecords), and every change waits for it. Needs no widget: views
// show it.
class CVelquorDoc : public QObject {
    Q_OBJECT

public:
    // `messageParent` is the widget the read problems' boxes are shown over; it outlives
    // the document.
    CVelquorDoc(const COpenRequest& request, const CCommandTypeCatalog& catalog,
                QWidget* messageParent = nullptr);
    // Each worker ends (never in the middle of a read) before the analyser goes.
    ~CVelquorDoc() override;

    const std::string& GetTitle() const { return m_strTitle; }
    // The window's tab title: the title, marked " [Hide Sys]" in a file window that leaves
    // SYS statements out, so two windows of one file tell apart; and its tool tip, the files
    // or the folder.
    QString TabTitle() const;
    QString TabTip() const;
    bool IsLiveMode() const { return m_bLiveMode; }
    // A file-mode read is under way.
    bool IsReading() const { return m_readWorker != nullptr; }
    bool IsRunning() const { return m_bRunning.load() == 1; }
    // Live mode: what to say while the trace folder cannot be read; empty otherwise.
    const QString& FolderProblem() const { return m_strFolderProblem; }
    // Refused while a live refresh runs or a file read is under way.
    bool CanSort() const { return !IsRunning() && !IsReading(); }

    // Starts the read the request asked for; once.
    void Start();
    // Start and Stop: a live window reads only while running; in a file window the flag
    // only allows or refuses sorting.
    void SetRunning(bool running);
    // Stops a file read at its next progress report; what was read until then is listed.
    void CancelRead();
    // Drops every record; a file read under way is cancelled and its result not listed.
    void Clear();
    // A file window with no read under way can read its files again.
    bool CanReadAgain() const { return !m_bLiveMode && !IsReading(); }
    // Drops every record and reads the files again from their start, as they are now, so
    // that texts that could not be read back because a file changed show again; nothing
    // when it cannot.
    void ReadAgain();

    const CTraceAnalyzer& Analyzer() const { return m_analyzer; }
    CStatementListModel& Model() { return m_model; }
    // Sorts the list by a column in a direction (+1 or -1), once no work reads the records.
    void Sort(int column, int order);

    // Runs `work`, which only reads the analyser, on a worker thread, so that working out
    // figures over a big trace leaves the window free; WorkEnded tells when it has ended. A
    // read's batches that come meanwhile are held and applied after; Clear, sorting, the end
    // of a file read, the next work and the document's end wait for it.
    void WorkOnRecords(std::function<void()> work);
    // Work given to WorkOnRecords still runs.
    bool IsWorking() const;
    // Waits for the work on the records to end, and passes on what it threw.
    void WaitForWork();

signals:
    // Running or reading changed, so the commands that depend on them change too.
    void CommandStateChanged();
    void ReadProgress(std::int64_t done, std::int64_t total);
    // A file read ended and its rows are listed; `partial` when it was cancelled.
    void ReadFinished(bool partial);
    // Live mode: the trace folder went missing (FolderProblem says so) or is back.
    void FolderStateChanged(const QString& message);
    // A read was applied or the records were cleared: what was worked out from the records
    // and the files' profiles is out of date.
    void AnalysisChanged();
    // The work given to WorkOnRecords has ended; the batches held meanwhile come after.
    void WorkEnded();

private:
    void StartFileRead();
    void StartRefreshThread();
    void OnFileReadDone(CReadBatch&& batch);
    void OnLiveBatch(CReadBatch&& batch);
    void Apply(CReadBatch&& batch);
    void ApplyHeldBatches();
    void TellWorkEnded(std::uint64_t serial);

    std::string m_strTitle;
    QString m_strFolderProblem;
    const bool m_bLiveMode;
    const std::vector<std::string> m_sources; // the files, or the live trace's folder
    const bool m_bShowSys;
    CPosixFileSystem m_fileSystem;
    CBoxNotifier m_notifier;
    CTraceAnalyzer m_analyzer;
    CStatementListModel m_model;
    std::atomic<int> m_bRunning = 0;
    bool m_bDiscardRead = false; // Clear during a file read: its result is not listed
    std::unique_ptr<CFileReadWorker> m_readWorker;
    std::unique_ptr<CRefreshWorker> m_refreshWorker;
    std::future<void> m_work;              // reads the records while it runs
    std::uint64_t m_nWorkSerial = 0;       // of the latest work given
    std::vector<CReadBatch> m_heldBatches; // came while the work ran
};
