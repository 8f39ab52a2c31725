#include "gui/app/MainControls.h"

#include "core/config/Settings.h"
#include "core/session/PeerStateText.h"
#include "core/session/UserViewModel.h"
#include "gui/app/LogoPanel.h"
#include "gui/app/MainLayout.h"
#include "gui/config/Colours.h"
#include "gui/widgets/ChatView.h"
#include "gui/widgets/FindBar.h"
#include "gui/widgets/MessageEdit.h"
#include "gui/widgets/PeerStateDelegate.h"
#include "gui/widgets/WidgetHelpers.h"

#include <QAbstractItemView>
#include <QCoreApplication>
#include <QDateTime>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>

#include <algorithm>

MainControls::MainControls(QWidget* window, const ChatRecord& record, UserViewModel* userView, platform::Shell& shell)
{
    chatArea = new ChatView(record, window);
    chatArea->setObjectName(QStringLiteral("Memo"));
    chatArea->setAccessibleName(QCoreApplication::translate("TF_Main", "Chat"));
    chatArea->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    findBar = new FindBar(*chatArea, window);

    messageBox = new MessageEdit(window);
    messageBox->setObjectName(QStringLiteral("Mess"));
    messageBox->setAccessibleName(QCoreApplication::translate("TF_Main", "Message"));
    messageBox->setFont(PixelFont(QStringLiteral("Tahoma"), 11));
    messageBox->setTabChangesFocus(false);

    userListView = new QListView(window);
    userListView->setObjectName(QStringLiteral("Users"));
    userListView->setAccessibleName(QCoreApplication::translate("TF_Main", "Users"));
    userListView->setModel(userView);
    userListView->setItemDelegate(new PeerStateDelegate(userListView));
    // Every row is one line of the same font: each connection that comes or goes lays out the list again, and
    // measuring every row's text each time cost a full office's copies more than the connections themselves.
    userListView->setUniformItemSizes(true);
    userListView->setSelectionBehavior(QAbstractItemView::SelectRows);
    userListView->setEditTriggers(QAbstractItemView::NoEditTriggers);

    awayList = new QListWidget(window);
    awayList->setObjectName(QStringLiteral("Away"));
    awayList->setAccessibleName(QCoreApplication::translate("TF_Main", "Away"));
    awayList->setWordWrap(true);
    awayList->setSelectionMode(QAbstractItemView::NoSelection);
    awayList->setFocusPolicy(Qt::TabFocus);
    awayList->hide();

    createTopRow(window);
    logoPanel = new LogoPanel(shell, window);
    setTabOrder();
    layOut(window->size());
}

void MainControls::createTopRow(QWidget* window)
{
    nameLabel = new QLabel(QCoreApplication::translate("TF_Main", "Your name:"), window);
    nameLabel->setObjectName(QStringLiteral("Label1"));
    nameLabel->setGeometry(4, 6, 73, 16);
    nameLabel->setFont(PixelFont(QStringLiteral("Arial"), 13, true));

    nameBox = new QLineEdit(QCoreApplication::translate("TF_Main", "Somebody"), window);
    nameBox->setObjectName(QStringLiteral("UserName"));
    nameBox->setAccessibleName(QCoreApplication::translate("TF_Main", "Your name"));
    nameBox->setGeometry(84, 4, 121, 21);
    nameBox->setFont(PixelFont(QStringLiteral("Arial"), 13, true));
    nameLabel->setBuddy(nameBox);

    const auto makeButton = [window](const QString& caption, int left, const char* name) {
        auto* button = new QPushButton(caption, window);
        button->setObjectName(QLatin1String(name));
        button->setGeometry(left, 4, 69, 21);
        button->setAutoDefault(false);
        return button;
    };
    clearButton = makeButton(QCoreApplication::translate("TF_Main", "Clear"), 212, "Button4");
    configureButton = makeButton(QCoreApplication::translate("TF_Main", "Configure"), 284, "Button1");
    usersButton = makeButton(QCoreApplication::translate("TF_Main", "Users"), 356, "Button2");
    runStopButton = makeButton(RunCaption(), 448, "Button3");
}

// Tab order: message box, name, user view, the buttons, chat area, the find bar when shown, Clear, the mode and the
// web link.
void MainControls::setTabOrder() const
{
    QList<QWidget*> order = {messageBox,      nameBox,     userListView,  awayList,
                             configureButton, usersButton, runStopButton, chatArea};
    for (QWidget* control : findBar->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (control->focusPolicy() & Qt::TabFocus)
            order.append(control);
    }
    order.append(clearButton);
    order.append(logoPanel->modeLabel());
    order.append(logoPanel->webLink());
    for (qsizetype i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
}

void MainControls::layOut(QSize client) const
{
    const MainLayout layout = ComputeMainLayout(client);
    messageBox->setGeometry(layout.mess);
    QRect chat = layout.memo;
    if (!findBar->isHidden()) {
        chat.setHeight(chat.height() - FindBar::Height);
        findBar->setGeometry(chat.left(), chat.bottom() + 1, chat.width(), FindBar::Height);
    }
    chatArea->setGeometry(chat);
    QRect users = layout.users;
    if (!awayList->isHidden()) {
        const int height = std::min(awayRowsHeight(users.width(), users.height()), users.height() / 2);
        users.setHeight(users.height() - height);
        awayList->setGeometry(users.left(), users.bottom() + 1, users.width(), height);
    }
    userListView->setGeometry(users);
    logoPanel->setGeometry(layout.panel);
}

int MainControls::awayRowsHeight(int width, int room) const
{
    // The rows wrap at the list's width (a name and "not seen since ..." take three lines in German), so they are
    // laid out at that width, with room for all of them, before they are measured.
    awayList->resize(width, room);
    awayList->doItemsLayout();
    int rows = 2 * awayList->frameWidth();
    for (int i = 0; i < awayList->count(); ++i)
        rows += awayList->visualItemRect(awayList->item(i)).height() + awayList->spacing();
    return rows;
}

void MainControls::listAway(const QList<net::AwayPeer>& away, QSize client) const
{
    awayList->clear();
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    for (const net::AwayPeer& peer : away) {
        auto* item = new QListWidgetItem(AwayText(peer, now), awayList);
        item->setForeground(awayList->palette().brush(QPalette::Disabled, QPalette::Text));
        item->setFlags(Qt::ItemIsEnabled);
    }
    awayList->setHidden(away.isEmpty());
    layOut(client);
}

void MainControls::applyAppearance(const Settings& settings) const
{
    const QColor background = ResolveColour(settings.Background);
    const QColor text = ResolveColour(settings.FontColor);
    for (QWidget* w : {static_cast<QWidget*>(chatArea), static_cast<QWidget*>(messageBox)}) {
        w->setFont(SettingsFont(settings));
        SetColours(w, background, text);
    }
    SetColours(userListView, background, text);
}

QList<QWidget*> MainControls::contactControls() const
{
    return {nameLabel,     nameBox,      configureButton, usersButton,
            runStopButton, clearButton,  chatArea,        chatArea->viewport(),
            messageBox,    userListView, awayList,        findBar->findBox()};
}
