#include "CStartPage.h"

#include "CMainCommands.h"

#include <QAction>
#include <QCommandLinkButton>
#include <QLabel>
#include <QScrollArea>
#include <QVBoxLayout>

namespace {

constexpr int kPageWidth = 560;
constexpr int kSectionSpacing = 18;

QString Keys(const QAction* action) {
    return action->shortcut().toString(QKeySequence::NativeText);
}

} // namespace

CStartPage::CStartPage(CMainCommands& commands, QWidget* parent)
    : QWidget(parent), m_commands(commands) {
    setObjectName(QStringLiteral("startPage"));
    setBackgroundRole(QPalette::Base);
    setAutoFillBackground(true);

    auto* column = new QWidget(this);
    column->setMaximumWidth(kPageWidth);
    auto* layout = new QVBoxLayout(column);
    auto* title = new QLabel(QStringLiteral("Velquor"), column);
    QFont titleFont = title->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 2);
    titleFont.setBold(true);
    title->setFont(titleFont);
    layout->addWidget(title);
    auto* about = new QLabel(QStringLiteral("Every statement of Oracle SQL trace files as one "
                                            "row, with its parse, execute and fetch figures."),
                             column);
    about->setWordWrap(true);
    layout->addWidget(about);
    layout->addSpacing(kSectionSpacing);

    layout->addWidget(Heading(QStringLiteral("Start")));
    QCommandLinkButton* openFiles =
        CommandButton(commands.m_actOpenShowSys, QStringLiteral("Open trace files..."));
    openFiles->setDescription(Keys(commands.m_actOpenShowSys) +
                              QStringLiteral(": one window for all the files you choose"));
    layout->addWidget(openFiles);
    QCommandLinkButton* openLive =
        CommandButton(commands.m_actFileNew, QStringLiteral("Open a live trace..."));
    openLive->setDescription(Keys(commands.m_actFileNew) +
                             QStringLiteral(": follow a trace folder while the server writes it"));
    layout->addWidget(openLive);
    layout->addSpacing(kSectionSpacing);

    layout->addWidget(Heading(QStringLiteral("Recent files")));
    m_labelNoRecent = new QLabel(QStringLiteral("None yet."), column);
    layout->addWidget(m_labelNoRecent);
    for (QAction* recent : commands.m_actRecentFiles) {
        AddRecentButton(*layout, recent);
    }
    UpdateNoRecentFiles();
    layout->addSpacing(kSectionSpacing);

    auto* drop = new QLabel(QStringLiteral("Drop .trc files here to open them in one window; "
                                           "compressed .gz, .xz and .bz2 traces can be opened "
                                           "too."),
                            column);
    drop->setWordWrap(true);
    layout->addWidget(drop);

    // The column keeps the height its wrapped texts need; a window too low for it scrolls
    // instead of squeezing the buttons' descriptions away.
    for (QWidget* child : column->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        child->setSizePolicy(child->sizePolicy().horizontalPolicy(), QSizePolicy::Minimum);
    }
    auto* page = new QWidget;
    auto* outer = new QHBoxLayout(page);
    outer->addStretch(1);
    auto* middle = new QVBoxLayout;
    middle->addStretch(1);
    middle->addWidget(column);
    middle->addStretch(2);
    outer->addLayout(middle, 4);
    outer->addStretch(1);
    auto* scroll = new QScrollArea(this);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setWidget(page);
    page->setBackgroundRole(QPalette::Base);
    auto* whole = new QVBoxLayout(this);
    whole->setContentsMargins(0, 0, 0, 0);
    whole->addWidget(scroll);
}

QLabel* CStartPage::Heading(const QString& text) {
    auto* label = new QLabel(text);
    QFont font = label->font();
    font.setBold(true);
    font.setPointSizeF(font.pointSizeF() * 1.2);
    label->setFont(font);
    return label;
}

QCommandLinkButton* CStartPage::CommandButton(QAction* action, const QString& text) {
    auto* button = new QCommandLinkButton(text, this);
    connect(button, &QAbstractButton::clicked, action, &QAction::trigger);
    return button;
}

void CStartPage::AddRecentButton(QVBoxLayout& layout, QAction* action) {
    QCommandLinkButton* button = CommandButton(action, action->text());
    const auto follow = [this, button, action] {
        button->setText(action->text());
        button->setDescription(action->statusTip());
        button->setVisible(action->isVisible());
        UpdateNoRecentFiles();
    };
    connect(action, &QAction::changed, button, follow);
    follow();
    layout.addWidget(button);
}

void CStartPage::UpdateNoRecentFiles() {
    bool any = false;
    for (const QAction* recent : m_commands.m_actRecentFiles) {
        any = any || recent->isVisible();
    }
    m_labelNoRecent->setVisible(!any);
}
