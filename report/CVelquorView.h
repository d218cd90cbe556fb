#pragma once

#include "CStatementFinder.h"
#include "CStatementSorter.h"
#include "CVelquorDoc.h"

#include <QTableView>

#include <memory>
#include <string>

class CReadProgressPanel;
class IViewHost;

// The statement list of one analysis window: shows its document's model, one row per
// record, hands the selected record's texts to the detail pane, and forwards the list
// commands to the document, the finder, the sorter and the Save command.
class CVelquorView : public QTableView {
    Q_OBJECT

public:
    CVelquorView(IViewHost& host, CVelquorDoc& doc, QWidget* parent = nullptr);
    ~CVelquorView() override;

    // Registers the window's tab, makes the columns and starts the document's read, with
    // its progress in the status bar.
    void OnInitialUpdate();

    // Commands.
    void OnRefreshStart() { m_doc.SetRunning(true); }
    void OnRefreshStop() { m_doc.SetRunning(false); }
    void OnClear();
    // File mode: reads the window's files again from their start, in this window.
    void OnReadAgain();
    void OnEditCopy();
    void OnEditFind();
    void OnFindNext();
    void OnSaveStatements();
    void OnColumnClick(int column);

    // Searches the SQL texts from the selected row on, down (1) or up (0), and selects the
    // first match (CStatementFinder). 1 when a row was found, 0 otherwise.
    int FindStatement(const std::string& text, int direction);
    // Selects a row, scrolls to it and shows its statement in the detail pane, even when it
    // was selected already.
    void ShowStatement(int row);
    // Shows the selected row's statement in the detail pane, or empties the pane when no row
    // is selected: for a window that comes back to the front.
    void ShowSelectionInPane();
    int GetFindPos() const { return m_finder.GetFindPos(); }
    int GetSortColumn() const { return m_sorter.GetSortColumn(); }
    int GetSortOrder() const { return m_sorter.GetSortOrder(); }

    // What the empty list says: that a finished file read found no statement, and what a SQL
    // trace looks like; empty otherwise.
    QString EmptyNote() const;

    CVelquorDoc& Document() { return m_doc; }
    const CVelquorDoc& Document() const { return m_doc; }
    bool IsLiveMode() const { return m_doc.IsLiveMode(); }
    bool IsReading() const { return m_doc.IsReading(); }
    bool IsRunning() const { return m_doc.IsRunning(); }
    const CTraceAnalyzer& Analyzer() const { return m_doc.Analyzer(); }
    CStatementListModel& Model() { return m_doc.Model(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void StartRead();
    void OnReadFinished(bool partial);
    void SetUpList();
    void SizeColumns();
    void OnSelectionChanged(const QItemSelection& selected, const QItemSelection& deselected);
    void ShowRecordInPane(int row);
    int SelectedRow() const;
    void SelectRow(int row);

    IViewHost& m_host;
    CVelquorDoc& m_doc;
    CStatementFinder m_finder;
    CStatementSorter m_sorter;
    std::unique_ptr<CReadProgressPanel> m_progress; // while the document reads its files
    bool m_bNothingFound = false;                   // the last file read found no statement
};
