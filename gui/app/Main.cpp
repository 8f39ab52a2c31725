#include "gui/app/Main.h"

#include "core/base/Errors.h"
#include "core/session/UserViewModel.h"
#include "gui/app/ChatHistory.h"
#include "gui/app/LogoPanel.h"
#include "gui/app/MainKeys.h"
#include "gui/app/MainLayout.h"
#include "gui/app/ReadingAids.h"
#include "gui/app/WindowPresence.h"
#include "gui/config/Config.h"
#include "gui/net/Personal.h"
#include "gui/notify/Message.h"
#include "gui/platform/MessageBoxes.h"
#include "gui/platform/TrayArea.h"
#include "gui/tray/TrayImages.h"
#include "gui/tray/TrayPresenter.h"
#include "gui/users/NetworkCheckDialog.h"
#include "gui/users/Users.h"
#include "gui/widgets/ChatView.h"
#include "gui/widgets/WidgetHelpers.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>
#include <QTimer>
#include <QWindow>

TF_Main::TF_Main(const MainWindowServices& services, const Settings& settings, ChatSession& session,
                 SessionStore& store)
    : m_services(services), m_settings(settings), m_session(session), m_store(store),
      m_userView(new UserViewModel(session, this)), m_controls(this, m_userView, services.shell),
      m_history(new ChatHistory(store, *m_controls.chatArea, this))
{
    setObjectName(QStringLiteral("F_Main"));
    setWindowTitle(QStringLiteral("Quendlewick Parley"));
    setFont(PixelFont(QStringLiteral("MS Sans Serif"), 11));
    setMinimumSize(MinimumOuterSize - FrameExtra);
    resize(DesignOuterSize - FrameExtra);
    m_controls.layOut(size());
    connectControls();
    createShortcuts();
    connectSession();
    createTrayParts();
    createTimers();
    watchUserContact();
    m_tray->setProgramDir(m_store.programDir());
}

// The window's last events come while QWidget takes it down, when this class's parts are gone: nobody hears them.
TF_Main::~TF_Main()
{
    removeEventFilter(m_presence);
}

void TF_Main::connectSession()
{
    connect(&m_session, &ChatSession::lineAppended, this,
            Guarded([this](const QString& line) { appendChatLine(line); }));
    connect(&m_session, &ChatSession::noteAppended, m_controls.chatArea, &ChatView::addNote);
    connect(&m_session, &ChatSession::lineArrived, this,
            Guarded([this](const net::IncomingLine& line) { showIncoming(line); }));
    connect(&m_session, &ChatSession::runningChanged, this,
            [this](bool running) { m_controls.runStopButton->setText(running ? StopCaption : RunCaption); });
    connect(&m_session, &ChatSession::silentChanged, this,
            [this](bool silent) { m_controls.logoPanel->showMode(silent); });
    connect(m_controls.nameBox, &QLineEdit::textChanged, &m_session, &ChatSession::SetUserName);
    m_session.SetUserName(m_controls.nameBox->text());
}

void TF_Main::setDialogs(TF_Config* config, TF_Message* message, TF_Users* users, TF_Personal* personal)
{
    m_config = config;
    m_message = message;
    m_users = users;
    m_personal = personal;
    m_tray->setPopup(message);
    connect(m_config, &TF_Config::closed, this, Guarded([this] {
                applyAppearance();
                refreshUserView();
            }));
    connect(m_users, &TF_Users::closed, this, Guarded([this] { refreshUserView(); }));
    // An answer to the popup or to the desktop's notification: the window comes up, the keyboard in the message box.
    const auto answer = Guarded([this] {
        showMainWindow();
        m_controls.messageBox->setFocus();
    });
    connect(m_message, &TF_Message::answered, this, answer);
    connect(m_tray, &TrayPresenter::answered, this, answer);
}

void TF_Main::applyAppearance()
{
    m_controls.applyAppearance(m_settings);
}

void TF_Main::connectControls()
{
    connect(m_controls.userListView, &QListView::doubleClicked, this, Guarded([this] { onUserDoubleClicked(); }));
    connect(m_controls.configureButton, &QPushButton::clicked, this, Guarded([this] { m_config->exec(); }));
    connect(m_controls.usersButton, &QPushButton::clicked, this, Guarded([this] { m_users->exec(); }));
    connect(m_controls.runStopButton, &QPushButton::clicked, this, Guarded([this] { onRunStopClicked(); }));
    connect(m_controls.clearButton, &QPushButton::clicked, this, Guarded([this] { onClearClicked(); }));
    m_controls.logoPanel->showMode(m_session.Silent());
    connect(m_controls.logoPanel, &LogoPanel::modeClicked, this, Guarded([this] { onModeClicked(); }));
    connect(m_controls.logoPanel, &LogoPanel::pressed, this, Guarded([this] { m_tray->stopFlashing(); }));
}

// Ctrl+M switches between the normal and the silent mode; Ctrl+K checks the network, also from the user view's menu.
void TF_Main::createShortcuts()
{
    connect(new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_M), this), &QShortcut::activated, this,
            Guarded([this] { onModeClicked(); }));
    auto* checkNetwork = new QAction(QStringLiteral("Check the network..."), this);
    checkNetwork->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_K));
    connect(checkNetwork, &QAction::triggered, this, Guarded([this] { showNetworkCheck(); }));
    addAction(checkNetwork);
    m_controls.userListView->setContextMenuPolicy(Qt::ActionsContextMenu);
    m_controls.userListView->addAction(checkNetwork);
}

NetworkCheckDialog* TF_Main::networkCheck()
{
    if (!m_networkCheck)
        m_networkCheck = new NetworkCheckDialog(m_session, this);
    return m_networkCheck;
}

void TF_Main::showNetworkCheck()
{
    NetworkCheckDialog* dialog = networkCheck();
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
}

void TF_Main::createTrayParts()
{
    // The installed icon in every size where the theme has it; the tray image where it has not.
    setWindowIcon(QIcon::fromTheme(QStringLiteral("org.quendlewick.Parley"), TrayImageList().at(0)));
    m_tray = new TrayPresenter(m_services.tray, m_services.cursor, m_services.sound, m_services.notifications,
                               m_settings, *this);
    m_reading = new ReadingAids(*this, m_controls, *m_tray);
    m_presence =
        new WindowPresence(*this, {[this] { m_tray->windowShown(); }, [this] { m_tray->stopFlashing(); },
                                   [this](bool present) { m_reading->setPresent(present); },
                                   [this] { m_controls.chatArea->scrollToEnd(); }, [this] { applyAppearance(); },
                                   [this] { return m_services.tray.isAvailable(); }});
    connect(m_tray, &TrayPresenter::openRequested, this, Guarded([this] { showMainWindow(); }));
    connect(m_tray, &TrayPresenter::attentionRequested, this, Guarded([this] { showForAttention(); }));
    connect(m_tray, &TrayPresenter::exitRequested, this, Guarded([this] { close(); }));
    connect(m_tray, &TrayPresenter::checkNetworkRequested, this, Guarded([this] { showNetworkCheck(); }));
}

void TF_Main::createTimers()
{
    m_userViewRefresh = new QTimer(this);
    m_userViewRefresh->setObjectName(QStringLiteral("Timer3"));
    m_userViewRefresh->setInterval(60000);
    connect(m_userViewRefresh, &QTimer::timeout, this, Guarded([this] { refreshUserView(); }));
    m_userViewRefresh->start();
}

// Every contact of the user with the window stops the tray flashing; these controls report theirs here.
void TF_Main::watchUserContact()
{
    m_keys = new MainKeys(m_controls, m_session, m_settings,
                          {[this] { m_tray->stopFlashing(); }, [this] { onUserDoubleClicked(); },
                           [this](bool forward) { focusNextPrevChild(forward); }, [this] { showMinimized(); }},
                          this);
    connect(qApp, &QGuiApplication::applicationStateChanged, this, Guarded([this](Qt::ApplicationState state) {
                // Another program became active: the popup stays above it, without taking the keyboard.
                if (state != Qt::ApplicationActive) {
                    if (m_message)
                        m_message->keepOnTop();
                    return;
                }
                m_tray->stopFlashing();
                m_controls.chatArea->scrollToEnd();
            }));
}

bool TF_Main::running() const
{
    return m_session.Running();
}

void TF_Main::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    Guard([this] { m_controls.layOut(size()); });
}

void TF_Main::mousePressEvent(QMouseEvent* event)
{
    QWidget::mousePressEvent(event);
    Guard([this] { m_tray->stopFlashing(); });
}

QLabel* TF_Main::webLink() const
{
    return m_controls.logoPanel->webLink();
}

QLabel* TF_Main::modeLabel() const
{
    return m_controls.logoPanel->modeLabel();
}

void TF_Main::onModeClicked()
{
    m_session.ToggleSilent();
    m_tray->stopFlashing();
}

void TF_Main::refreshUserView()
{
    m_userView->refresh();
}

void TF_Main::onRunStopClicked()
{
    if (!running())
        m_session.Run();
    else
        m_session.Stop();
    refreshUserView();
}

void TF_Main::onUserDoubleClicked()
{
    const QModelIndex current = m_controls.userListView->currentIndex();
    if (!current.isValid() || !m_controls.userListView->selectionModel()->isSelected(current))
        return;
    // The row is the peer the person chose, whoever else came or went meanwhile.
    const quint64 connection = m_userView->connectionAt(current.row());
    const QString address = m_userView->addressAt(current.row());
    if (address.isEmpty())
        return; // the row outlived its connection: there is nobody to write to
    m_personal->setRecipient(m_userView->captionAt(current.row()));
    if (m_personal->exec() != QDialog::Accepted)
        return;
    if (!m_session.SendPersonal(connection, address, m_personal->text()))
        m_services.boxes.show(this, QStringLiteral("Selected user has disconnected. Try later."),
                              QStringLiteral("User lost"), platform::BoxIcon::Error, platform::BoxButtons::Ok);
}

void TF_Main::appendChatLine(const QString& line)
{
    m_reading->lineAppending();
    m_history->append(line);
}

void TF_Main::showIncoming(const net::IncomingLine& line)
{
    appendChatLine(line.shown());
    m_reading->lineArrived();
    m_tray->notifyIncoming(line, !m_session.Silent());
}

void TF_Main::onClearClicked()
{
    if (m_services.boxes.askYesNo(this, QStringLiteral("Are you sure?"), QStringLiteral("Clear"),
                                  platform::BoxIcon::Question)) {
        m_history->clear();
        m_reading->cleared();
    }
}

void TF_Main::showMainWindow()
{
    m_presence->showMainWindow();
}

void TF_Main::showForAttention()
{
    m_presence->showForAttention();
}

void TF_Main::closeEvent(QCloseEvent* event)
{
    if (m_sessionEnded) {
        event->accept();
        return;
    }
    bool proceed = false;
    Guard([&] { proceed = closeQuery(); });
    if (!proceed) {
        event->ignore();
        return;
    }
    event->accept();
    Q_EMIT ended();
}

bool TF_Main::closeQuery()
{
    saveSession();
    if (m_askOnExit && !m_services.boxes.askYesNo(this, QStringLiteral("Are you sure?"), QStringLiteral("Exit"),
                                                  platform::BoxIcon::Warning))
        return false;
    if (running())
        onRunStopClicked();
    return true;
}

void TF_Main::sessionEnded()
{
    m_sessionEnded = true;
    m_askOnExit = false;
}
