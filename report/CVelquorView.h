#pragma once

#include "CBoxNotifier.h"
#include "CLocalNetworkShares.h"
#include "CPosixFileSystem.h"
#include "CStatementListModel.h"
#include "CTraceAnalyzer.h"

#include <QPointer>
#include <QTableView>

#include <atomic>
#include <memory>
#include <string>

class CFileReadWorker;
class CRefreshWorker;
class CVelquorDoc;
class IViewHost;
class QProgressBar;
class QPushButton;

// The statement list of one analysis window. It owns the analyser, shows one row per
// record, and hands the selected record's texts to the detail pane. A file-mode window reads
// its files once on a worker thread, with its progress in the status bar; a live window's
// worker reads the trace folder every period while running. Either way the records are only
// used on the user interface thread: the workers hand finished batches over.
class CVelquorView : public QTableView {
    Q_OBJECT

public:
    CVelquorView(IViewHost& host, const CVelquorDoc& doc, QWidget* parent = nullptr);
    ~CVelquorView() override;

    // Sets the view up from the open request: registers its tab, makes the columns, and
    // starts the file read or the live worker.
    void OnInitialUpdate();

    bool IsLiveMode() const { return m_bLiveMode; }
    // A file-mode read is under way.
    bool IsReading() const { return m_readWorker != nullptr; }
    bool IsRunning() const { return m_bRunning.load() == 1; }

    // Commands.
    void OnRefreshStart();
    void OnRefreshStop();
    void OnClear();
    void CancelRead();
    void OnEditCopy();
    void OnEditFind();
    void OnFindNext();
    void OnSaveStatements();
    void OnColumnClick(int column);

    // Searches the SQL texts from the selected row on, down (1) or up (0), byte-wise and
    // case-sensitive; selects the first match. 1 when a row was found, 0 otherwise.
    int FindStatement(const std::string& text, int direction);
    int GetFindPos() const { return m_nFindPos; }
    int GetSortColumn() const { return m_nSortColumn; }
    int GetSortOrder() const { return m_nSortOrder; }
    // Refused while a live refresh runs or a file read is under way.
    bool CanSort() const { return !IsRunning() && !IsReading(); }

    const CTraceAnalyzer& Analyzer() const { return m_analyzer; }
    CStatementListModel& Model() { return m_model; }
    const CVelquorDoc& Document() const { return m_doc; }

signals:
    // Start, Stop or the read state changed, so the frame updates its commands.
    void CommandStateChanged();
    // A file-mode read ended and its rows are listed.
    void ReadFinished();

private:
    void SetUpList();
    void StartFileRead();
    void StartRefreshThread();
    void OnReadProgress(std::int64_t done, std::int64_t total);
    void OnFileReadDone(CReadBatch&& batch);
    void RefreshList(CReadBatch&& batch);
    void OnSelectionChanged(const QItemSelection& selected, const QItemSelection& deselected);
    void ShowRecordInPane(int row);
    int SelectedRow() const;
    void SelectRow(int row);
    void ShowMessage(const QString& caption, const QString& text);
    void ShowProgress();
    void RemoveProgress();

    IViewHost& m_host;
    const CVelquorDoc& m_doc;

    std::string m_strFindText;
    int m_nFindDirection = 1;
    int m_nSortColumn = -1;
    int m_nSortOrder = 0;
    int m_nFindPos = -1;

    CPosixFileSystem m_fileSystem;
    CLocalNetworkShares m_shares;
    CBoxNotifier m_notifier;
    CTraceAnalyzer m_analyzer;
    CStatementListModel m_model;
    std::atomic<int> m_bRunning = 0;
    bool m_bLiveMode = false;
    bool m_bDiscardRead = false; // Clear during a file read: its result is not listed
    std::unique_ptr<CFileReadWorker> m_readWorker;
    std::unique_ptr<CRefreshWorker> m_refreshWorker;
    QPointer<QProgressBar> m_progressBar; // in the frame's status bar while reading
    QPointer<QPushButton> m_cancelButton;
};
