#pragma once

#include <QWidget>

#include <array>
#include <memory>
#include <string>

class QPlainTextEdit;
class QPushButton;
class QTabBar;

namespace Ui {
class CDetailPaneDlg;
}

// The detail pane: one statement's SQL text, call statistics table, row source operations and
// waits, one at a time, chosen by the "SQL", "COST", "PLAN" and "WAITS" tabs along the bottom.
// The texts are the record's bytes; they are decoded only to be shown.
class CDetailPaneDlg : public QWidget {
    Q_OBJECT

public:
    explicit CDetailPaneDlg(QWidget* parent = nullptr);
    ~CDetailPaneDlg() override;

    // Shows a statement's texts; a "Read the files again" button offered before goes.
    void SetStatementTexts(std::string sql, std::string callStats, std::string rowSource,
                           std::string waits = {});
    // Shows or hides the "Read the files again" button beside the tabs, for texts that could
    // not be read back because their file changed.
    void OfferReadAgain(bool offer);
    const std::string& GetText(int index) const { return m_texts.at(static_cast<size_t>(index)); }

    QPlainTextEdit& EditBox();
    QTabBar& TabStrip();
    QPushButton& ReadAgainButton() { return *m_readAgain; }

signals:
    // The user asked to read the window's files again.
    void ReadAgainRequested();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void ShowCurrentTab();
    void SetUpEditBox();
    void LayOut();

    std::array<std::string, 4> m_texts;
    std::unique_ptr<Ui::CDetailPaneDlg> m_ui;
    QPushButton* m_readAgain;
};
