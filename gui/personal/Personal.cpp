#include "gui/personal/Personal.h"

#include "core/base/Errors.h"
#include "core/net/SendKeys.h"
#include "core/session/ChatSession.h"
#include "gui/config/Config.h"
#include "gui/widgets/WidgetHelpers.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextCursor>

TF_Personal::TF_Personal(const Settings& settings, ChatSession& session, QWidget* parent)
    : QDialog(parent), m_settings(settings), m_session(session)
{
    SetUpFixedDialog(this, QStringLiteral("F_Personal"), tr("Send personal message..."), QSize(409, 75));
    m_messageBox = new MessageEdit(this);
    // The text keeps the desktop's face; only the dialog's captions take the dialogs' 8-point one.
    m_messageBox->setFont(QApplication::font());
    m_messageBox->setObjectName(QStringLiteral("Mess"));
    m_messageBox->setAccessibleName(tr("Message"));
    m_messageBox->setGeometry(0, 0, 409, 75);
    m_messageBox->setTabChangesFocus(false);
    m_messageBox->installEventFilter(this);
}

// The design's caption, and to whom: the row the person chose may be one of several alike.
void TF_Personal::setRecipient(const QString& name)
{
    m_recipient = name;
    const QString caption = tr("Send personal message...");
    setWindowTitle(name.isEmpty() ? caption : caption + QStringLiteral(" ") + tr("to %1").arg(name));
}

QString TF_Personal::text() const
{
    return m_messageBox->message();
}

// FormShow: every personal message starts from an empty box, in the middle of the screen.
void TF_Personal::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    m_messageBox->clearMessage();
    m_messageBox->setFocus();
    CentreOnScreen(this);
}

bool TF_Personal::eventFilter(QObject* watched, QEvent* event)
{
    bool consumed = false;
    if (watched == m_messageBox && event->type() == QEvent::KeyPress)
        Guard([&] { consumed = onMessageKey(static_cast<QKeyEvent*>(event)->key()); });
    return consumed;
}

bool TF_Personal::onMessageKey(int key)
{
    if (key == Qt::Key_Escape) {
        reject();
        return true;
    }
    const net::SendKeyOutcome outcome = net::SendKey(key, m_session.Running(), m_settings);
    if (outcome.send)
        finish();
    else if (outcome.newLine)
        m_messageBox->appendLineBreak();
    return outcome.consumed;
}

// The own personal line goes to the chat area; the text stays in the box until the main window has sent it.
void TF_Personal::finish()
{
    m_session.NotePersonalLine(text(), m_recipient);
    accept();
}
