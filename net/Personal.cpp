#include "net/Personal.h"

#include "app/Main.h"
#include "app/WidgetHelpers.h"
#include "common/Errors.h"
#include "config/Config.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextCursor>

TF_Personal::TF_Personal(const Services& services, Windows& windows)
    : QDialog(windows.F_Main), m_services(services), m_windows(windows)
{
    m_windows.F_Personal = this;
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
    const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
    const bool tab = key == Qt::Key_Tab;
    if (!enter && !tab)
        return false;
    if (!m_windows.F_Main->Running())
        return enter;
    const Settings& settings = m_windows.settings;
    if ((enter && settings.Scheme1) || (tab && settings.Scheme2)) {
        Finish();
    } else {
        QTextCursor cursor = Mess->textCursor();
        cursor.movePosition(QTextCursor::End);
        cursor.insertText(QStringLiteral("\n"));
        Mess->setTextCursor(cursor);
    }
    return true;
}

// The own personal line goes to the chat area; the text stays in the box until the main window has sent it.
void TF_Personal::Finish()
{
    TF_Main* main = m_windows.F_Main;
    main->AppendChatLine(main->UserName->text() + QStringLiteral(":: ") + Text());
    accept();
}
