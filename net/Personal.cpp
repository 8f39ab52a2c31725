#include "net/Personal.h"

#include "common/Errors.h"
#include "config/Config.h"
#include "net/ChatSession.h"
#include "net/SendKeys.h"
#include "ui/WidgetHelpers.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextCursor>

TF_Personal::TF_Personal(const Services& services, const Settings& settings, ChatSession& session, QWidget* parent)
    : QDialog(parent), m_services(services), m_settings(settings), m_session(session)
{
    setObjectName(QStringLiteral("F_Personal"));
    setWindowTitle(QStringLiteral("Send personal message..."));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFixedSize(409, 75);
    Mess = new QPlainTextEdit(this);
    Mess->setObjectName(QStringLiteral("Mess"));
    Mess->setAccessibleName(QStringLiteral("Message"));
    Mess->setGeometry(0, 0, 409, 75);
    Mess->setTabChangesFocus(false);
    Mess->installEventFilter(this);
    Guard([this] { FormCreate(); });
}

void TF_Personal::FormCreate() {}

QString TF_Personal::Text() const
{
    return Mess->toPlainText();
}

// FormShow: every personal message starts from an empty box, in the middle of the screen.
void TF_Personal::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    Mess->clear();
    Mess->setFocus();
    CentreOnScreen(this);
}

bool TF_Personal::eventFilter(QObject* watched, QEvent* event)
{
    bool consumed = false;
    if (watched == Mess && event->type() == QEvent::KeyPress)
        Guard([&] { consumed = MessKeyPress(static_cast<QKeyEvent*>(event)->key()); });
    return consumed;
}

bool TF_Personal::MessKeyPress(int key)
{
    if (key == Qt::Key_Escape) {
        reject();
        return true;
    }
    const net::SendKeyOutcome outcome = net::SendKey(key, m_session.Running(), m_settings);
    if (outcome.send)
        Finish();
    else if (outcome.newLine)
        AppendLineBreak(Mess);
    return outcome.consumed;
}

// The own personal line goes to the chat area; the text stays in the box until the main window has sent it.
void TF_Personal::Finish()
{
    m_session.NotePersonalLine(Text());
    accept();
}
