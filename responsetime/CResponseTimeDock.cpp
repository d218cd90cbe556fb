#include "CResponseTimeDock.h"

#include "CCallTreePane.h"
#include "CProfilePane.h"
#include "CSqlGroupPane.h"
#include "CVelquorDoc.h"

#include <QElapsedTimer>
#include <QTabWidget>
#include <QVBoxLayout>

#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace {

constexpr int kWidth = 560;
constexpr int kHeight = 420;
constexpr qint64 kCostFactor = 10;

} // namespace

CResponseTimeDock::CResponseTimeDock(QWidget* parent)
    : QWidget(parent), m_tabs(new QTabWidget(this)), m_profile(new CProfilePane(m_tabs)),
      m_groups(new CSqlGroupPane(m_tabs)), m_tree(new CCallTreePane(m_tabs)) {
    m_tabs->addTab(m_profile, QStringLiteral("Profile"));
    m_tabs->addTab(m_groups, QStringLiteral("SQL Groups"));
    m_tabs->addTab(m_tree, QStringLiteral("Call Tree"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_tabs);
    resize(kWidth, kHeight);

    m_refreshTimer.setSingleShot(true);
    connect(&m_refreshTimer, &QTimer::timeout, this, &CResponseTimeDock::RefreshCurrentTab);
    connect(m_tabs, &QTabWidget::currentChanged, this, &CResponseTimeDock::RefreshCurrentTab);
    connect(m_profile, &CProfilePane::ExcludeIdleChanged, this,
            [this] { m_stale[GroupsTab] = true; });
    connect(m_groups, &CSqlGroupPane::StatementActivated, this,
            &CResponseTimeDock::StatementActivated);
    connect(m_tree, &CCallTreePane::StatementActivated, this,
            &CResponseTimeDock::StatementActivated);
}

CResponseTimeDock::~CResponseTimeDock() {
    if (m_doc != nullptr) {
        m_doc->WaitForWork();
    }
}

void CResponseTimeDock::SetDocument(CVelquorDoc* doc) {
    if (doc == m_doc) {
        return;
    }
    if (m_doc != nullptr) {
        if (m_bMaking) {
            m_doc->WaitForWork(); // its figures would come too late to be shown
        }
        disconnect(m_doc, nullptr, this, nullptr);
        disconnect(&m_doc->Model(), nullptr, this, nullptr);
    }
    Follow(doc);
}

void CResponseTimeDock::Follow(CVelquorDoc* doc) {
    m_doc = doc;
    m_showMade = {};
    m_bMaking = false;
    m_refreshTimer.stop();
    const CTraceAnalyzer* analyzer = doc != nullptr ? &doc->Analyzer() : nullptr;
    m_profile->SetAnalyzer(analyzer);
    m_groups->SetAnalyzer(analyzer);
    m_tree->SetAnalyzer(analyzer);
    m_stale.fill(doc != nullptr);
    if (doc == nullptr) {
        return;
    }
    connect(doc, &CVelquorDoc::AnalysisChanged, this, &CResponseTimeDock::OnAnalysisChanged);
    connect(doc, &CVelquorDoc::WorkEnded, this, &CResponseTimeDock::OnWorkEnded);
    // Its connections go with it.
    connect(doc, &QObject::destroyed, this, [this] { Follow(nullptr); });
    // Sorting the list moves the statements' rows the tree shows.
    connect(&doc->Model(), &QAbstractItemModel::layoutChanged, this,
            [this] { m_tree->viewport()->update(); });
    RefreshCurrentTab();
}

// The end of a file read is shown at once. While a file is read, and between live reads, the
// figures are made again no sooner than ten times what the last making cost after it, so
// that a big analysis never keeps the user interface busy more than a tenth of the time.
void CResponseTimeDock::OnAnalysisChanged() {
    m_stale.fill(true);
    if (!isVisible()) {
        return;
    }
    const qint64 spacing = kCostFactor * m_nLastCostMs;
    if (m_doc->IsReading()) {
        if (!m_refreshTimer.isActive()) {
            m_refreshTimer.start(std::max<qint64>(kReadingPeriodMs, spacing));
        }
    } else if (!m_doc->IsLiveMode()) {
        m_refreshTimer.start(0);
    } else if (!m_refreshTimer.isActive()) {
        const qint64 since = m_sinceRefresh.isValid() ? m_sinceRefresh.elapsed() : spacing;
        m_refreshTimer.start(std::max<qint64>(0, spacing - since));
    }
}

void CResponseTimeDock::RefreshCurrentTab() {
    const int tab = m_tabs->currentIndex();
    if (!isVisible() || tab < 0 || !m_stale[static_cast<std::size_t>(tab)] || m_bMaking) {
        return;
    }
    // Other work on the records (a save) would make this tab's wait for it on the window's
    // thread: it is made when that work ends.
    if (tab != ProfileTab && m_doc->IsWorking()) {
        return;
    }
    m_stale[static_cast<std::size_t>(tab)] = false;
    m_making.start();
    switch (tab) {
    case ProfileTab:
        m_profile->Refresh();
        Refreshed();
        break;
    case GroupsTab: {
        const bool excludeIdle = m_profile->ExcludeIdle();
        MakeInBackground<CSqlGroupTable>(
            [excludeIdle](const CTraceAnalyzer& analyzer) {
                return analyzer.SqlGroups(excludeIdle);
            },
            [this](CSqlGroupTable&& groups) { m_groups->Show(std::move(groups)); });
        break;
    }
    default:
        MakeInBackground<CCallTreeLayout>(
            [](const CTraceAnalyzer& analyzer) { return CCallTreeLayout(analyzer.CallTree()); },
            [this](CCallTreeLayout&& tree) { m_tree->Show(std::move(tree)); });
        break;
    }
}

template <class TFigures>
void CResponseTimeDock::MakeInBackground(std::function<TFigures(const CTraceAnalyzer&)> make,
                                         std::function<void(TFigures&&)> show) {
    m_bMaking = true;
    const CTraceAnalyzer& analyzer = m_doc->Analyzer();
    auto figures = std::make_shared<std::optional<TFigures>>();
    m_showMade = [figures, show = std::move(show)] {
        if (figures->has_value()) {
            show(std::move(**figures));
        }
    };
    m_doc->WorkOnRecords(
        [&analyzer, figures, make = std::move(make)] { figures->emplace(make(analyzer)); });
}

// The document's work has ended: the figures made are shown, or, when the work was another's,
// the tab in view is made if it waited for it. A document the dock no longer follows is no
// longer connected, so its figures never show.
void CResponseTimeDock::OnWorkEnded() {
    if (m_showMade) {
        std::exchange(m_showMade, {})();
        Refreshed();
    } else {
        RefreshCurrentTab();
    }
}

// The figures of the tab asked for are shown. The tab in view may have gone out of date
// meanwhile, or be another: its figures are made next, as the spacing allows.
void CResponseTimeDock::Refreshed() {
    m_bMaking = false;
    m_nLastCostMs = m_making.elapsed();
    m_sinceRefresh.start();
    if (m_doc == nullptr || m_refreshTimer.isActive()) {
        return;
    }
    const qint64 spacing = kCostFactor * m_nLastCostMs;
    if (m_doc->IsReading()) {
        m_refreshTimer.start(std::max<qint64>(kReadingPeriodMs, spacing));
    } else {
        m_refreshTimer.start(m_doc->IsLiveMode() ? spacing : 0);
    }
}

void CResponseTimeDock::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    RefreshCurrentTab();
}
