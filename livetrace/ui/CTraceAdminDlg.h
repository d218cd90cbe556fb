#pragma once

#include "CMessageBoxNotifier.h"
#include "CTraceListStore.h"

#include <QDialog>

#include <functional>
#include <memory>
#include <optional>
#include <string>

class CCommandTypeCatalog;
class CTraceSettingDlg;

namespace Ui {
class CTraceAdminDlg;
}

// "Oracle Trace Admin": keeps the list of live traces and picks the one to run. Add,
// Remove and Configure... save "trace.list" at once, each changing the list as the file
// holds it at that moment, so changes other programs made meanwhile stay; Run, Enter or a
// double-click in the list close the dialog with the selected trace.
class CTraceAdminDlg : public QDialog {
    Q_OBJECT

public:
    CTraceAdminDlg(const CCommandTypeCatalog& catalog, std::string programFolder,
                   QWidget* owner = nullptr);
    ~CTraceAdminDlg() override;

    // The trace chosen with Run (the first of that name), or none; valid while the
    // dialog exists.
    const CTraceSettings* GetSelectedTrace() const;
    void RefreshTraceList();

protected:
    // Runs the "Setting" dialog modally and returns its result.
    virtual int RunSettingDialog(CTraceSettingDlg& dialog);

    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void OnAdd();
    void OnRemove();
    void OnConfigure();
    void OnRun();
    bool ConfigureTrace(std::size_t index);
    void ChangeReloadRefresh(const std::function<bool()>& change);
    void ReloadRefresh();
    std::optional<std::string> GetSelectedName() const;

    const CCommandTypeCatalog& m_catalog;
    CMessageBoxNotifier m_notifier;
    CTraceListStore m_store;
    std::unique_ptr<Ui::CTraceAdminDlg> m_ui;
    std::string m_strSelectedName;
};
