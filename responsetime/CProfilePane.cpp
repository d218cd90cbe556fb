#include "CProfilePane.h"

#include "CScrollPosition.h"
#include "CShareBarDelegate.h"
#include "CTraceAnalyzer.h"
#include "DisplayText.h"
#include "ResponseTimeText.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QSignalBlocker>
#include <QTableView>

namespace {

constexpr int kComponentWidthChars = 34;
constexpr int kNumberWidthChars = 11;

QByteArray Bytes(const std::string& text) {
    return QByteArray(text.data(), static_cast<qsizetype>(text.size()));
}

// Fills a combo box with items (text, data) and selects the item whose data was selected
// before, else the first; no signal while it changes.
void Fill(QComboBox& box, const QList<std::pair<QString, QByteArray>>& items) {
    const QSignalBlocker blocker(&box);
    const QVariant selected = box.currentData();
    box.clear();
    for (const auto& [text, data] : items) {
        box.addItem(text, data);
    }
    box.setCurrentIndex(std::max(0, box.findData(selected)));
}

} // namespace

CProfilePane::CProfilePane(QWidget* parent)
    : QWidget(parent), m_files(new QComboBox(this)), m_cut(new QComboBox(this)),
      m_values(new QComboBox(this)),
      m_excludeIdle(new QCheckBox(QStringLiteral("Exclude idle"), this)),
      m_duration(new QLabel(this)), m_table(new QTableView(this)), m_transactions(new QLabel(this)),
      m_errors(new QLabel(this)) {
    m_cut->addItem(QStringLiteral("none"), -1);
    for (std::size_t tag = 0; tag < kSessionTagCount; ++tag) {
        m_cut->addItem(DecodeForDisplay(CSessionTags::NameOf(static_cast<ESessionTag>(tag))),
                       static_cast<int>(tag));
    }
    m_values->hide();
    m_errors->setWordWrap(true);
    for (QLabel* label : {m_duration, m_transactions, m_errors}) {
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    }
    auto* layout = new QGridLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Files:"), this), 0, 0);
    layout->addWidget(m_files, 0, 1, 1, 2);
    layout->addWidget(new QLabel(QStringLiteral("By:"), this), 1, 0);
    layout->addWidget(m_cut, 1, 1);
    layout->addWidget(m_values, 1, 2);
    layout->addWidget(m_excludeIdle, 2, 0, 1, 3);
    layout->addWidget(m_duration, 3, 0, 1, 3);
    layout->addWidget(m_table, 4, 0, 1, 3);
    layout->addWidget(m_transactions, 5, 0, 1, 3);
    layout->addWidget(m_errors, 6, 0, 1, 3);
    layout->setColumnStretch(2, 1);
    layout->setRowStretch(4, 1);
    SetUpTable();

    const auto refresh = [this] { Refresh(); };
    connect(m_files, &QComboBox::currentIndexChanged, this, refresh);
    connect(m_cut, &QComboBox::currentIndexChanged, this, refresh);
    connect(m_values, &QComboBox::currentIndexChanged, this, refresh);
    connect(m_excludeIdle, &QCheckBox::toggled, this, [this] {
        Refresh();
        emit ExcludeIdleChanged();
    });
}

void CProfilePane::SetUpTable() {
    m_table->setModel(&m_model);
    m_table->setItemDelegateForColumn(CProfileTableModel::Time, new CShareBarDelegate(m_table));
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setWordWrap(false);
    m_table->verticalHeader()->hide();
    m_table->verticalHeader()->setDefaultSectionSize(m_table->fontMetrics().height() + 4);
    const int digit = m_table->fontMetrics().horizontalAdvance(QLatin1Char('0'));
    m_table->horizontalHeader()->resizeSection(CProfileTableModel::Component,
                                               kComponentWidthChars * digit);
    for (int column = CProfileTableModel::Time; column < CProfileTableModel::ColumnCount;
         ++column) {
        m_table->horizontalHeader()->resizeSection(column, kNumberWidthChars * digit);
    }
}

bool CProfilePane::ExcludeIdle() const {
    return m_excludeIdle->isChecked();
}

void CProfilePane::SetAnalyzer(const CTraceAnalyzer* analyzer) {
    m_analyzer = analyzer;
    FillFiles({});
    Show(nullptr, {});
}

void CProfilePane::Refresh() {
    const std::vector<std::string> files =
        m_analyzer != nullptr ? m_analyzer->ProfiledFiles() : std::vector<std::string>();
    FillFiles(files);
    if (m_analyzer == nullptr) {
        Show(nullptr, {});
        return;
    }
    if (files.empty()) {
        Show(nullptr, QStringLiteral("No trace read yet"));
        return;
    }
    const CProfileReport report =
        m_analyzer->Profile(SelectedFiles(), SelectedCut(), ExcludeIdle());
    FillValues(report);
    const auto table = static_cast<std::size_t>(std::max(0, m_values->currentIndex()));
    const CProfileTable& shown = report.tables.at(SelectedCut() ? table : 0);
    Show(&shown, DecodeForDisplay(DurationText(shown)));
}

void CProfilePane::FillFiles(const std::vector<std::string>& files) {
    QList<std::pair<QString, QByteArray>> items = {{QStringLiteral("All files"), QByteArray()}};
    for (const std::string& file : files) {
        items.append({QFileInfo(DecodeForDisplay(file)).fileName(), Bytes(file)});
    }
    Fill(*m_files, items);
    for (int i = 1; i < m_files->count(); ++i) {
        m_files->setItemData(i, DecodeForDisplay(files[static_cast<std::size_t>(i - 1)]),
                             Qt::ToolTipRole);
    }
}

void CProfilePane::FillValues(const CProfileReport& report) {
    QList<std::pair<QString, QByteArray>> items;
    if (SelectedCut()) {
        for (const CProfileTable& table : report.tables) {
            if (!table.process.empty()) {
                items.append({DecodeForDisplay(CutHeading(table, *SelectedCut())),
                              Bytes(table.process + ' ' + table.cutValue)});
                continue;
            }
            items.append({table.cutValue.empty() ? QStringLiteral("(no value)")
                                                 : DecodeForDisplay(table.cutValue),
                          Bytes(table.cutValue)});
        }
    }
    Fill(*m_values, items);
    m_values->setVisible(SelectedCut().has_value());
}

std::vector<std::string> CProfilePane::SelectedFiles() const {
    if (m_files->currentIndex() <= 0) {
        return {};
    }
    return {m_files->currentData().toByteArray().toStdString()};
}

std::optional<ESessionTag> CProfilePane::SelectedCut() const {
    const int tag = m_cut->currentData().toInt();
    return tag < 0 ? std::nullopt : std::optional(static_cast<ESessionTag>(tag));
}

// The table keeps its scroll position when it shows the next figures.
void CProfilePane::Show(const CProfileTable* table, const QString& duration) {
    const CScrollPosition scroll(*m_table);
    m_model.SetTable(table != nullptr ? *table : CProfileTable());
    m_duration->setText(duration);
    m_transactions->setText(table != nullptr ? DecodeForDisplay(TransactionsText(*table))
                                             : QString());
    m_errors->setText(table != nullptr ? DecodeForDisplay(ErrorsText(*table)) : QString());
    scroll.Restore();
}
