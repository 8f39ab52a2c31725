#include "gui/widgets/FindBar.h"

#include "core/base/Errors.h"
#include "gui/widgets/ChatView.h"

#include <QElapsedTimer>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QStyle>
#include <QTimer>
#include <QToolButton>

namespace {
// How long one turn of searching may keep the event loop: well under what a person or a peer would notice.
constexpr int TurnMs = 8;
} // namespace

FindBar::FindBar(ChatView& chatArea, QWidget* parent)
    : QWidget(parent), m_chatArea(chatArea), m_stepTimer(new QTimer(this)), m_findBox(new QLineEdit(this)),
      m_countLabel(new QLabel(this)), m_previousButton(new QToolButton(this)), m_nextButton(new QToolButton(this)),
      m_closeButton(new QToolButton(this))
{
    setObjectName(QStringLiteral("FindBar"));
    m_stepTimer->setSingleShot(true);
    connect(m_stepTimer, &QTimer::timeout, this, Guarded([this] { searchSome(); }));

    auto* caption = new QLabel(tr("Find:"), this);
    caption->setBuddy(m_findBox);
    m_findBox->setObjectName(QStringLiteral("FindBox"));
    m_findBox->setAccessibleName(tr("Find"));
    m_findBox->installEventFilter(this);
    m_countLabel->setObjectName(QStringLiteral("FindCount"));
    m_countLabel->setMinimumWidth(m_countLabel->fontMetrics().horizontalAdvance(QStringLiteral("9999 of 99999…")));
    const auto setUp = [](QToolButton* button, const QString& name, const QString& keys) {
        button->setAccessibleName(name);
        button->setToolTip(QStringLiteral("%1 (%2)").arg(name, keys));
        button->setAutoRaise(true);
    };
    setUp(m_previousButton, tr("Previous match"), QStringLiteral("Shift+F3"));
    setUp(m_nextButton, tr("Next match"), QStringLiteral("F3"));
    setUp(m_closeButton, tr("Close find bar"), QStringLiteral("Esc"));

    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(2, 1, 2, 1);
    row->setSpacing(4);
    for (QWidget* w : std::initializer_list<QWidget*>{caption, m_findBox, m_countLabel, m_previousButton, m_nextButton,
                                                      m_closeButton})
        row->addWidget(w, w == m_findBox ? 1 : 0);

    connect(m_findBox, &QLineEdit::textChanged, this, Guarded([this] { startSearch(); }));
    connect(m_previousButton, &QToolButton::clicked, this, Guarded([this] { findPrevious(); }));
    connect(m_nextButton, &QToolButton::clicked, this, Guarded([this] { findNext(); }));
    connect(m_closeButton, &QToolButton::clicked, this, Guarded([this] { close(); }));
    // Lines that arrive are searched too; earlier history that comes in, or a cleared area, means starting over.
    connect(&m_chatArea, &ChatView::textChanged, this, [this] {
        if (!isHidden() && searching() && !m_stepTimer->isActive())
            m_stepTimer->start(0);
    });
    connect(&m_chatArea, &ChatView::logReset, this, Guarded([this] {
        if (!isHidden())
            startSearch();
    }));
    hide();
}

bool FindBar::searching() const
{
    return !m_search.finished(m_chatArea.log());
}

void FindBar::open()
{
    const bool wasHidden = isHidden();
    // The style's icons at the first opening: reading them loads every image plugin there is, and most sessions
    // never search.
    if (m_closeButton->icon().isNull()) {
        m_previousButton->setIcon(style()->standardIcon(QStyle::SP_ArrowUp));
        m_nextButton->setIcon(style()->standardIcon(QStyle::SP_ArrowDown));
        m_closeButton->setIcon(style()->standardIcon(QStyle::SP_TitleBarCloseButton));
    }
    show();
    m_findBox->setFocus(Qt::ShortcutFocusReason);
    m_findBox->selectAll();
    if (wasHidden) {
        Q_EMIT opened();
        startSearch();
    }
}

void FindBar::close()
{
    m_stepTimer->stop();
    hide();
    m_chatArea.setSearch(nullptr, -1);
    Q_EMIT closed();
}

void FindBar::findNext()
{
    if (isHidden())
        return open();
    moveBy(1);
}

void FindBar::findPrevious()
{
    if (isHidden())
        return open();
    moveBy(-1);
}

void FindBar::startSearch()
{
    m_stepTimer->stop();
    m_search.start(m_findBox->text());
    m_current = -1;
    m_chatArea.setSearch(m_search.text().isEmpty() ? nullptr : &m_search, -1);
    searchSome();
}

// One turn's worth of slices. The current match is the first one from the top of the view down, found as soon as
// the search gets there, or else the last one there is.
void FindBar::searchSome()
{
    QElapsedTimer turn;
    turn.start();
    bool done = m_search.step(m_chatArea.log());
    while (!done && turn.elapsed() < TurnMs)
        done = m_search.step(m_chatArea.log());
    if (m_current < 0 && !m_search.matches().empty()) {
        m_current = m_search.firstFrom(m_chatArea.topOffset());
        if (m_current < 0 && done)
            m_current = qsizetype(m_search.matches().size()) - 1;
        if (m_current >= 0)
            m_chatArea.showOffset(m_search.matches()[size_t(m_current)].offset);
    }
    if (!m_search.text().isEmpty())
        m_chatArea.setSearch(&m_search, m_current);
    showState();
    if (!done)
        m_stepTimer->start(0);
}

void FindBar::moveBy(int step)
{
    const qsizetype kept = qsizetype(m_search.matches().size());
    if (kept == 0)
        return;
    m_current = m_current < 0 ? (step > 0 ? 0 : kept - 1) : (m_current + step + kept) % kept;
    m_chatArea.showOffset(m_search.matches()[size_t(m_current)].offset);
    m_chatArea.setSearch(&m_search, m_current);
    showState();
}

void FindBar::showState()
{
    const QString more = searching() ? QStringLiteral("…") : QString();
    if (m_search.text().isEmpty())
        m_countLabel->clear();
    else if (m_search.count() == 0)
        m_countLabel->setText(searching() ? tr("Searching…") : tr("No matches"));
    else if (m_current < 0)
        m_countLabel->setText(tr("%n found%1", nullptr, m_search.count()).arg(more));
    else
        m_countLabel->setText(tr("%1 of %2%3").arg(m_current + 1).arg(m_search.count()).arg(more));
}

bool FindBar::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_findBox || event->type() != QEvent::KeyPress)
        return QWidget::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    bool handled = true;
    Guard([&] {
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)
            key->modifiers().testFlag(Qt::ShiftModifier) ? findPrevious() : findNext();
        else if (key->key() == Qt::Key_Escape)
            close();
        else
            handled = false;
    });
    return handled;
}
