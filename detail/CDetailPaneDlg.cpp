#include "CDetailPaneDlg.h"

#include "DisplayText.h"
#include "ui_CDetailPaneDlg.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QPushButton>
#include <QResizeEvent>

namespace {

constexpr int kTabStripSpace = 30;    // room below the edit box for the tab strip
constexpr int kTabStripHeight = 26;   // the bottom 4 pixels stay uncovered
constexpr int kTabStopCharacters = 8; // the call statistics table is laid out on these
constexpr int kFontPointSize = 12;
constexpr int kTemplateWidth = 257; // dialog units
constexpr int kTemplateHeight = 94;

} // namespace

CDetailPaneDlg::CDetailPaneDlg(QWidget* parent)
    : QWidget(parent), m_ui(std::make_unique<Ui::CDetailPaneDlg>()),
      m_readAgain(new QPushButton(QStringLiteral("Read the files again"), this)) {
    m_ui->setupUi(this);
    m_readAgain->setObjectName(QStringLiteral("m_readAgain"));
    m_readAgain->hide();
    connect(m_readAgain, &QPushButton::clicked, this, &CDetailPaneDlg::ReadAgainRequested);
    m_ui->m_tabStrip->setShape(QTabBar::RoundedSouth);
    m_ui->m_tabStrip->addTab(QStringLiteral("SQL"));
    m_ui->m_tabStrip->addTab(QStringLiteral("COST"));
    m_ui->m_tabStrip->addTab(QStringLiteral("PLAN"));
    m_ui->m_tabStrip->addTab(QStringLiteral("WAITS"));
    m_ui->m_tabStrip->setCurrentIndex(0);
    SetUpEditBox();
    connect(m_ui->m_tabStrip, &QTabBar::currentChanged, this, [this] { ShowCurrentTab(); });

    // The template's size in dialog units: a quarter of the average character width across,
    // an eighth of the character height down.
    const QFontMetrics metrics(font());
    resize(kTemplateWidth * metrics.averageCharWidth() / 4, kTemplateHeight * metrics.height() / 8);
    setMinimumSize(0, 0);
}

CDetailPaneDlg::~CDetailPaneDlg() = default;

void CDetailPaneDlg::SetUpEditBox() {
    QPlainTextEdit& edit = *m_ui->m_editText;
    QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    fixed.setPointSize(kFontPointSize);
    edit.setFont(fixed);
    // Tab stops every 8 characters of the edit box's own fixed font, so the headings of the
    // call statistics table stand over their columns.
    edit.setTabStopDistance(kTabStopCharacters *
                            QFontMetricsF(fixed).horizontalAdvance(QLatin1Char(' ')));
    edit.setReadOnly(true);
    edit.setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    edit.setMinimumSize(0, 0);
}

void CDetailPaneDlg::SetStatementTexts(std::string sql, std::string callStats,
                                       std::string rowSource, std::string waits) {
    m_texts = {std::move(sql), std::move(callStats), std::move(rowSource), std::move(waits)};
    OfferReadAgain(false);
    ShowCurrentTab();
}

void CDetailPaneDlg::OfferReadAgain(bool offer) {
    m_readAgain->setVisible(offer);
    LayOut();
}

void CDetailPaneDlg::ShowCurrentTab() {
    const int index = m_ui->m_tabStrip->currentIndex();
    if (index < 0 || index >= static_cast<int>(m_texts.size())) {
        return;
    }
    // CR LF ends a line of trace text; the edit box wants one line break per line.
    QString text = DecodeForDisplay(m_texts.at(static_cast<size_t>(index)));
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    m_ui->m_editText->setPlainText(text);
}

void CDetailPaneDlg::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    LayOut();
}

// The edit box fills the pane above the tab strip; the button, when offered, takes the
// strip's right end.
void CDetailPaneDlg::LayOut() {
    const int w = width();
    const int h = height();
    const int stripTop = std::max(0, h - kTabStripSpace);
    m_ui->m_editText->setGeometry(0, 0, w, stripTop);
    const int buttonWidth = m_readAgain->isVisibleTo(this) ? m_readAgain->sizeHint().width() : 0;
    m_ui->m_tabStrip->setGeometry(0, stripTop, std::max(0, w - buttonWidth), kTabStripHeight);
    m_readAgain->setGeometry(w - buttonWidth, stripTop, buttonWidth, kTabStripHeight);
}

QPlainTextEdit& CDetailPaneDlg::EditBox() {
    return *m_ui->m_editText;
}

QTabBar& CDetailPaneDlg::TabStrip() {
    return *m_ui->m_tabStrip;
}
