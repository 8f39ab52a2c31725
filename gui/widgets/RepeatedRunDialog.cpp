#include "gui/widgets/RepeatedRunDialog.h"

#include "core/base/Errors.h"
#include "gui/widgets/WidgetHelpers.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

RepeatedRunDialog::RepeatedRunDialog(const QString& objectName, const QString& title, const QString& againCaption,
                                     QSize size, QWidget* parent)
    : QDialog(parent), m_status(new QLabel(this)), m_againButton(new QPushButton(againCaption, this))
{
    setObjectName(objectName);
    setWindowTitle(title);
    resize(size);
    m_status->setObjectName(QStringLiteral("Status"));
    m_againButton->setAutoDefault(false);
    connect(m_againButton, &QPushButton::clicked, this, Guarded([this] { run(); }));
}

void RepeatedRunDialog::setContent(const QList<QWidget*>& widgets)
{
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->addButton(m_againButton, QDialogButtonBox::ActionRole);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    for (QWidget* widget : widgets.first(widgets.size() - 1))
        layout->addWidget(widget);
    layout->addWidget(m_status);
    layout->addWidget(widgets.last(), 1);
    layout->addWidget(buttons);
    // Tab goes from the content to the buttons, the status line being no stop.
    setTabOrder(widgets.last(), m_againButton);
}

void RepeatedRunDialog::run()
{
    m_againButton->setEnabled(false);
    start();
}

void RepeatedRunDialog::finished(const QString& status)
{
    m_status->setText(status);
    m_againButton->setEnabled(true);
}

void RepeatedRunDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    CentreOnScreen(this);
    if (!running())
        Guard([this] { run(); });
}

void RepeatedRunDialog::hideEvent(QHideEvent* event)
{
    cancel();
    m_againButton->setEnabled(true);
    QDialog::hideEvent(event);
}
