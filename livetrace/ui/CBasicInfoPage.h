#pragma once

#include "CTraceSettings.h"
#include <string>

#include <QWidget>

#include <memory>

namespace Ui {
class CBasicInfoPage;
}

// The "BASIC INFO" page of the "Setting" dialog: the trace's name and folder, with a
// "..." button that browses for the folder.
class CBasicInfoPage final : public QWidget {
    Q_OBJECT

public:
    explicit CBasicInfoPage(QWidget* parent = nullptr);
    ~CBasicInfoPage() override;

    // "UPDATE" shows the trace's folder and name; "INSERT" leaves both empty.
    void Init(const CTraceSettings& trace, const std::string& mode);
    QString GetName() const;
    QString GetPath() const;

private:
    void OnBrowse();

    std::unique_ptr<Ui::CBasicInfoPage> m_ui;
};
