#pragma once

#include "CProfileReport.h"
#include "CProfileTableModel.h"

#include <QWidget>

#include <optional>
#include <string>
#include <vector>

class CTraceAnalyzer;
class QCheckBox;
class QComboBox;
class QLabel;
class QTableView;

// The "Profile" tab: R and its parts for all files of a window or one of them, whole or for
// one value of a session tag, idle waits in or left out ("Exclude idle"); the transactions
// and the errors below the table.
class CProfilePane : public QWidget {
    Q_OBJECT

public:
    explicit CProfilePane(QWidget* parent = nullptr);

    // Empties the tab for another analyser (none: stays empty), whose profile the next
    // Refresh shows.
    void SetAnalyzer(const CTraceAnalyzer* analyzer);
    // Shows the profile of what the analyser read so far, keeping the choices and the scroll
    // position.
    void Refresh();
    bool ExcludeIdle() const;

    CProfileTableModel& Model() { return m_model; }
    QTableView& Table() { return *m_table; }
    QComboBox& Files() { return *m_files; }
    QComboBox& Cut() { return *m_cut; }
    QComboBox& Values() { return *m_values; }
    QCheckBox& ExcludeIdleBox() { return *m_excludeIdle; }
    QLabel& Duration() { return *m_duration; }
    QLabel& Transactions() { return *m_transactions; }
    QLabel& Errors() { return *m_errors; }

signals:
    void ExcludeIdleChanged();

private:
    void SetUpTable();
    void FillFiles(const std::vector<std::string>& files);
    void FillValues(const CProfileReport& report);
    std::vector<std::string> SelectedFiles() const;
    std::optional<ESessionTag> SelectedCut() const;
    void Show(const CProfileTable* table, const QString& duration);

    const CTraceAnalyzer* m_analyzer = nullptr;
    CProfileTableModel m_model;
    QComboBox* m_files;
    QComboBox* m_cut;
    QComboBox* m_values;
    QCheckBox* m_excludeIdle;
    QLabel* m_duration;
    QTableView* m_table;
    QLabel* m_transactions;
    QLabel* m_errors;
};
