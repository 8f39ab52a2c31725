#include "gui/app/Main.h"

#include "core/base/Errors.h"
#include "core/config/CurrentSettings.h"
#include "core/session/UserViewModel.h"
#include "gui/app/LogoPanel.h"
#include "gui/app/MainKeys.h"
#include "gui/app/MainLayout.h"
#include "gui/app/ReadingAids.h"
#include "gui/app/UserViewActions.h"
#include "gui/app/WindowPresence.h"
#include "gui/config/Config.h"
#include "gui/files/FileActions.h"
#include "gui/notify/Message.h"
#include "gui/platform/MessageBoxes.h"
#include "gui/platform/TrayArea.h"
#include "gui/tray/TrayImages.h"
#include "gui/tray/TrayPresenter.h"
#include "gui/users/Users.h"
#include "gui/widgets/ChatView.h"
#include "gui/widgets/WidgetHelpers.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>
#include <QTimer>

TF_Main::TF_Main(const MainWindowServices& services, const CurrentSettings& settings, ChatSession& session,
                 SessionStore& store)
    : m_services(services), m_settings(settings.values()), m_session(session), m_store(store),
      m_userView(new UserViewModel(session, this)),
      m_windowSession(*this, session, store, session.record(), services.boxes)
{
    setObjectName(QStringLiteral("F_Main"));
    setWindowTitle(QStringLiteral("Quendlewick Parley"));
    setFont(PixelFont(QStringLiteral("MS Sans Serif"), 11));
    setMinimumSize(MinimumOuterSize - FrameExtra);
    resize(DesignOuterSize - FrameExtra);
    m_session.SetUserName(tr("Somebody"));
    connectSession();
    // The chat area, the message box and the user view show the text settings as the dialog hands them over.
    connect(&settings, &CurrentSettings::changed, this, Guarded([this](SettingId id) {
        if (SettingRow(id).effect == TakesEffect::WhenDialogCloses)
            applyAppearance();
    }));
    createTrayParts();
    m_tray->setProgramDir(m_store.programDir());
}

// The window's last events come while QWidget takes it down, when this class's parts are gone: nobody hears them.
TF_Main::~TF_Main()
{
    removeEventFilter(m_presence);
    // The keys watch the controls, and QWidget takes the controls down after this class's members have gone: the
    // events of their going must not reach a watcher that reads the controls' list.
    delete m_keys;
}

MainControls& TF_Main::controls()
{
    if (!m_controls)
        makeControls();
    return *m_controls;
}

void TF_Main::makeControls()
{
    m_controls = std::make_unique<MainControls>(this, m_session.record(), m_userView, m_services.shell);
    MainControls& made = *m_controls;
    made.nameBox->setText(m_session.UserName());
    connect(made.nameBox, &QLineEdit::textChanged, &m_session, &ChatSession::SetUserName);
    made.runStopButton->setText(running() ? StopCaption() : RunCaption());
    made.logoPanel->showMode(m_session.Silent());
    // The top row as the language's captions need it, at the size the window was given; the rest follows it.
    const QSize given = size();
    FitCaptions(this, QList<QWidget*>{made.nameLabel, made.clearButton, made.configureButton, made.usersButton,
                                      made.runStopButton});
    resize(given.expandedTo(minimumSize()));
    made.listAway(m_userView->away(), size());
    m_userViewActions = new UserViewActions(*this, *made.userListView, *m_userView, m_session, m_services.boxes);
    m_userViewActions->setPersonalDialog(m_dialogs.personal);
    m_fileActions->watchView(*made.userListView);
    connectControls();
    m_reading->showIn(made);
    watchUserContact();
    applyAppearance();
}

void TF_Main::setVisible(bool visible)
{
    if (visible)
        controls();
    QWidget::setVisible(visible);
}

void TF_Main::connectSession()
{
    connect(&m_session.record(), &ChatRecord::added, this,
            Guarded([this](const ChatEntry& entry, qsizetype firstPiece) { lineAdded(entry, firstPiece); }));
    connect(&m_session, &ChatSession::runningChanged, this, [this](bool running) {
        if (m_controls)
            m_controls->runStopButton->setText(running ? StopCaption() : RunCaption());
    });
    connect(&m_session, &ChatSession::silentChanged, this, [this](bool silent) {
        if (m_controls)
            m_controls->logoPanel->showMode(silent);
    });
    connect(m_userView, &UserViewModel::awayChanged, this, Guarded([this] {
                if (m_controls)
                    m_controls->listAway(m_userView->away(), size());
            }));
}

void TF_Main::setDialogs(const Dialogs& dialogs)
{
    m_dialogs = dialogs;
    if (m_userViewActions)
        m_userViewActions->setPersonalDialog(dialogs.personal);
    m_tray->setPopup(dialogs.message);
    connect(m_tray, &TrayPresenter::answered, this, Guarded([this] { answer(); }));
}

void TF_Main::answer()
{
    showMainWindow();
    controls().messageBox->setFocus();
}

UserViewActions& TF_Main::userViewActions()
{
    controls();
    return *m_userViewActions;
}

void TF_Main::applyAppearance()
{
    if (m_controls)
        m_controls->applyAppearance(m_settings);
}

void TF_Main::connectControls()
{
    const MainControls& made = *m_controls;
    connect(made.configureButton, &QPushButton::clicked, this, Guarded([this] { m_dialogs.config()->exec(); }));
    // Where a line was not delivered, the chat offers the setting that lets such lines wait.
    auto* letWait = new QAction(tr("Let lines for absent users wait for them..."), this);
    connect(letWait, &QAction::triggered, this, Guarded([this] {
                m_dialogs.config()->outboxBox()->setFocus(Qt::OtherFocusReason);
                m_dialogs.config()->exec();
            }));
    made.chatArea->setUndeliveredAction(letWait);
    connect(made.usersButton, &QPushButton::clicked, this, Guarded([this] { m_dialogs.users()->exec(); }));
    connect(made.runStopButton, &QPushButton::clicked, this, Guarded([this] { onRunStopClicked(); }));
    connect(made.clearButton, &QPushButton::clicked, this, Guarded([this] { onClearClicked(); }));
    connect(made.logoPanel, &LogoPanel::modeClicked, this, Guarded([this] { onModeClicked(); }));
    connect(made.logoPanel, &LogoPanel::pressed, this, Guarded([this] { m_tray->stopFlashing(); }));
    // Ctrl+M switches between the normal and the silent mode.
    connect(new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_M), this), &QShortcut::activated, this,
            Guarded([this] { onModeClicked(); }));
}

void TF_Main::createTrayParts()
{
    // The installed icon in every size where the theme has it; the tray image where it has not.
    setWindowIcon(QIcon::fromTheme(QStringLiteral("org.quendlewick.Parley"), TrayImageList().at(0)));
    m_tray = new TrayPresenter(m_services.tray, m_services.cursor, m_services.sound, m_services.notifications,
                               m_settings, *this);
    m_reading = new ReadingAids(*this, m_session.record(), *m_tray);
    m_presence =
        new WindowPresence(*this, {[this] { m_tray->windowShown(); }, [this] { m_tray->stopFlashing(); },
                                   [this](bool present) { m_reading->setPresent(present); },
                                   [this] {
                                       if (m_controls)
                                           m_controls->chatArea->scrollToEnd();
                                   },
                                   [this] {
                                       if (TF_Message* popup = m_tray->popupIfMade())
                                           popup->keepOnTop();
                                   },
                                   [this] { applyAppearance(); }, [this] { return m_services.tray.isAvailable(); }});
    connect(m_tray, &TrayPresenter::openRequested, this, Guarded([this] { showMainWindow(); }));
    connect(m_tray, &TrayPresenter::attentionRequested, this, Guarded([this] { showForAttention(); }));
    connect(m_tray, &TrayPresenter::exitRequested, this, Guarded([this] { close(); }));
    connect(m_tray, &TrayPresenter::checkNetworkRequested, this,
            Guarded([this] { userViewActions().showNetworkCheck(); }));
    m_fileActions = new FileActions(*this, *m_userView, m_session, m_services.boxes, m_services.shell);
    connect(m_tray, &TrayPresenter::sendFilesRequested, this, Guarded([this] { m_fileActions->chooseAndSend(); }));
    connect(m_tray, &TrayPresenter::transfersRequested, this, Guarded([this] { m_fileActions->showTransfers(); }));
    connect(m_fileActions, &FileActions::offerShown, this,
            Guarded([this](const QByteArray& id, const QString& text) { m_tray->notifyOffer(id, text); }));
    connect(m_tray, &TrayPresenter::offerAnswered, this, Guarded([this](const QByteArray& id, bool accepted) {
                accepted ? m_session.files().Accept(id) : m_session.files().Decline(id);
            }));
}

// Every contact of the user with the window stops the tray flashing; these controls report theirs here.
void TF_Main::watchUserContact()
{
    m_keys = new MainKeys(*m_controls, m_session, m_settings,
                          {[this] { m_tray->stopFlashing(); }, [this] { m_userViewActions->writePersonal(); },
                           [this](bool forward) { focusNextPrevChild(forward); }, [this] { showMinimized(); }},
                          this);
}

void TF_Main::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    Guard([this] {
        if (m_controls)
            m_controls->layOut(size());
    });
}

void TF_Main::mousePressEvent(QMouseEvent* event)
{
    QWidget::mousePressEvent(event);
    Guard([this] { m_tray->stopFlashing(); });
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

void TF_Main::lineAdded(const ChatEntry& entry, qsizetype firstPiece)
{
    if (entry.kind != ChatEntry::Kind::Peer)
        return;
    m_reading->lineArrived(firstPiece);
    m_tray->notifyIncoming(entry.peer, !m_session.Silent());
}

void TF_Main::onClearClicked()
{
    if (m_services.boxes.askYesNo(this, tr("Are you sure?"), tr("Clear"), platform::BoxIcon::Question)) {
        m_session.record().clear();
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
    if (m_windowSession.ended()) {
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
    if (!m_windowSession.saveAndConfirm(userList()))
        return false;
    if (running())
        onRunStopClicked();
    return true;
}

void TF_Main::sessionEnded()
{
    m_windowSession.end();
}

void TF_Main::restoreSession()
{
    m_windowSession.restore(m_settings);
    if (m_controls)
        m_controls->nameBox->setText(m_session.UserName());
}

void TF_Main::runIfAutomatic()
{
    // A port that cannot be had is said in a box; the start-up goes on without listening.
    if (m_settings.AutoRun && !running() && !m_windowSession.ended())
        Guard([this] { onRunStopClicked(); });
}

bool TF_Main::historyLoading() const
{
    return m_session.record().loading();
}

QTimer* TF_Main::userViewRefreshTimer() const
{
    return m_userView->periodicRefreshTimer();
}
