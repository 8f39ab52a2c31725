#include "app/Main.h"

#include "app/MainLayout.h"
#include "common/Errors.h"
#include "common/Gen_func.h"
#include "common/Site.h"
#include "config/Colours.h"
#include "config/Config.h"
#include "net/Personal.h"
#include "net/SendKeys.h"
#include "net/Wire.h"
#include "notify/Message.h"
#include "notify/Notification.h"
#include "platform/Cursor.h"
#include "platform/MessageBoxes.h"
#include "platform/ProgramDir.h"
#include "platform/Shell.h"
#include "platform/Sound.h"
#include "platform/TrayArea.h"
#include "tray/TrayImages.h"
#include "tray/TrayPresenter.h"
#include "tray/Trayicon.h"
#include "ui/ChatView.h"
#include "ui/WidgetHelpers.h"
#include "users/UserViewModel.h"
#include "users/Users.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDebug>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTextCursor>
#include <QTimer>

#include <algorithm>
#include <utility>

namespace {
constexpr QColor ModeGreen(0, 128, 0);
constexpr QColor ModeMaroon(128, 0, 0);
} // namespace

TF_Main::TF_Main(const Services& services, Settings& settings, ChatSession& session, SessionStore& store)
    : m_services(services), m_settings(settings), m_session(session), m_store(store)
{
    setObjectName(QStringLiteral("F_Main"));
    setWindowTitle(QStringLiteral("Quendlewick Parley"));
    setFont(PixelFont(QStringLiteral("MS Sans Serif"), 11));
    setMinimumSize(MinimumOuterSize - FrameExtra);
    resize(DesignOuterSize - FrameExtra);
    CreateControls();
    ConnectSession();
    CreateTrayParts();
    CreateTimers();
    WatchUserContact();
    m_tray->setProgramDir(m_store.programDir());
}

TF_Main::~TF_Main() = default;

void TF_Main::ConnectSession()
{
    connect(&m_session, &ChatSession::lineAppended, this,
            Guarded([this](const QString& line) { AppendChatLine(line); }));
    connect(&m_session, &ChatSession::incomingLine, this,
            Guarded([this](const QString& line) { NotifyIncoming(line); }));
    connect(&m_session, &ChatSession::runningChanged, this,
            [this](bool running) { Button3->setText(running ? StopCaption : RunCaption); });
    connect(&m_session, &ChatSession::silentChanged, this, [this](bool silent) { ShowMode(silent); });
    connect(UserName, &QLineEdit::textChanged, &m_session, &ChatSession::SetUserName);
    m_session.SetUserName(UserName->text());
}

void TF_Main::SetDialogs(TF_Config* config, TF_Message* message, TF_Users* users, TF_Personal* personal)
{
    m_config = config;
    m_message = message;
    m_users = users;
    m_personal = personal;
    m_tray->setPopup(message);
    connect(m_config, &TF_Config::closed, this, Guarded([this] {
                ApplyAppearance();
                RefreshUserView();
            }));
    connect(m_users, &TF_Users::closed, this, Guarded([this] { RefreshUserView(); }));
    connect(m_message, &TF_Message::answered, this, Guarded([this] {
                ShowMainWindow();
                Mess->setFocus();
            }));
}

void TF_Main::ApplyAppearance()
{
    const QColor background = ResolveColour(m_settings.Background);
    const QColor text = ResolveColour(m_settings.FontColor);
    for (QWidget* w : {static_cast<QWidget*>(Memo), static_cast<QWidget*>(Mess)}) {
        w->setFont(SettingsFont(m_settings));
        SetColours(w, background, text);
    }
    SetColours(Users, background, text);
}

void TF_Main::CreateControls()
{
    Memo = new ChatView(this);
    Memo->setObjectName(QStringLiteral("Memo"));
    Memo->setAccessibleName(QStringLiteral("Chat"));
    Memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

    Mess = new QPlainTextEdit(this);
    Mess->setObjectName(QStringLiteral("Mess"));
    Mess->setAccessibleName(QStringLiteral("Message"));
    Mess->setFont(PixelFont(QStringLiteral("Tahoma"), 11));
    Mess->setTabChangesFocus(false);

    m_userView = new UserViewModel(m_session, this);
    Users = new QListView(this);
    Users->setObjectName(QStringLiteral("Users"));
    Users->setAccessibleName(QStringLiteral("Users"));
    Users->setModel(m_userView);
    Users->setSelectionBehavior(QAbstractItemView::SelectRows);
    Users->setEditTriggers(QAbstractItemView::NoEditTriggers);
    connect(Users, &QListView::doubleClicked, this, Guarded([this] { UsersDblClick(); }));

    CreateTopRow();
    CreateLogoPanel();

    // Tab order: message box, name, user view, the buttons, chat area.
    setTabOrder(Mess, UserName);
    setTabOrder(UserName, Users);
    setTabOrder(Users, Button1);
    setTabOrder(Button1, Button2);
    setTabOrder(Button2, Button3);
    setTabOrder(Button3, Memo);
    setTabOrder(Memo, Button4);
    FormResize();
}

void TF_Main::CreateTopRow()
{
    Label1 = new QLabel(QStringLiteral("Your name:"), this);
    Label1->setGeometry(4, 6, 73, 16);
    Label1->setFont(PixelFont(QStringLiteral("Arial"), 13, true));

    UserName = new QLineEdit(QStringLiteral("Somebody"), this);
    UserName->setObjectName(QStringLiteral("UserName"));
    UserName->setAccessibleName(QStringLiteral("Your name"));
    UserName->setGeometry(84, 4, 121, 21);
    UserName->setFont(PixelFont(QStringLiteral("Arial"), 13, true));
    Label1->setBuddy(UserName);

    const auto makeButton = [this](const QString& caption, int left, const char* name) {
        auto* button = new QPushButton(caption, this);
        button->setObjectName(QLatin1String(name));
        button->setGeometry(left, 4, 69, 21);
        button->setAutoDefault(false);
        return button;
    };
    Button4 = makeButton(QStringLiteral("Clear"), 212, "Button4");
    Button1 = makeButton(QStringLiteral("Configure"), 284, "Button1");
    Button2 = makeButton(QStringLiteral("Users"), 356, "Button2");
    Button3 = makeButton(RunCaption, 448, "Button3");

    connect(Button1, &QPushButton::clicked, this, Guarded([this] { m_config->exec(); }));
    connect(Button2, &QPushButton::clicked, this, Guarded([this] { m_users->exec(); }));
    connect(Button3, &QPushButton::clicked, this, Guarded([this] { Button3Click(); }));
    connect(Button4, &QPushButton::clicked, this, Guarded([this] { Button4Click(); }));
}

void TF_Main::CreateLogoPanel()
{
    Panel1 = new QWidget(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));

    Label4 = new QLabel(QStringLiteral("Quendlewick"), Panel1);
    Label4->setGeometry(8, 0, 62, 14);
    Label4->setFont(PixelFont(QStringLiteral("Arial"), 11, true));
    // Fonts differ between desktops; the maker's name must never be cut.
    Label4->resize(std::max(Label4->width(), Label4->sizeHint().width()), Label4->height());

    Label3 = new QLabel(QStringLiteral("PARLEY"), Panel1);
    Label3->setGeometry(4, 6, 117, 33);
    Label3->setAlignment(Qt::AlignCenter);
    Label3->setFont(PixelFont(QStringLiteral("Verdana"), 27, true, true));

    Label5 = new QLabel(Panel1);
    Label5->setObjectName(QStringLiteral("Label5"));
    Label5->setGeometry(12, 39, 101, 17);
    Label5->setAlignment(Qt::AlignCenter);
    Label5->setFont(PixelFont(QStringLiteral("Verdana"), 11, true));
    ShowMode(m_session.Silent());

    Label2 = new QLabel(QLatin1String(MakerSiteCaption), Panel1);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setGeometry(0, 56, 125, 13);
    Label2->setAlignment(Qt::AlignCenter);
    Label2->setFont(PixelFont(QStringLiteral("Tahoma"), 9));
    Label2->setCursor(Qt::PointingHandCursor);
    Label4->raise(); // drawn over the product name, as it is transparent
}

void TF_Main::CreateTrayParts()
{
    // The installed icon in every size where the theme has it; the tray image where it has not.
    setWindowIcon(QIcon::fromTheme(QStringLiteral("org.quendlewick.Parley"), TrayImageList().at(0)));
    m_tray = new TrayPresenter(m_services.tray, m_services.cursor, m_services.sound, m_settings, *this);
    connect(m_tray, &TrayPresenter::openRequested, this, Guarded([this] { ShowMainWindow(); }));
    connect(m_tray, &TrayPresenter::exitRequested, this, Guarded([this] { close(); }));
}

void TF_Main::CreateTimers()
{
    const auto makeTimer = [this](int interval, void (TF_Main::*handler)()) {
        auto* timer = new QTimer(this);
        timer->setInterval(interval);
        connect(timer, &QTimer::timeout, this, Guarded([this, handler] { (this->*handler)(); }));
        return timer;
    };
    Timer3 = makeTimer(60000, &TF_Main::RefreshUserView);
    Timer3->start();
}

// Every contact of the user with the window stops the tray flashing; these controls report theirs here.
void TF_Main::WatchUserContact()
{
    const QList<QWidget*> watched = {Label1,           UserName, Button1, Button2, Button3, Button4, Memo,
                                     Memo->viewport(), Mess,     Users,   Label2,  Label3,  Label4,  Label5};
    for (QWidget* w : watched)
        w->installEventFilter(this);
    connect(qApp, &QGuiApplication::applicationStateChanged, this, Guarded([this](Qt::ApplicationState state) {
                // Another program became active: the popup stays above it, without taking the keyboard.
                if (state != Qt::ApplicationActive) {
                    if (m_message)
                        m_message->KeepOnTop();
                    return;
                }
                FormActivate();
                ScrollMemoToEnd();
            }));
}

bool TF_Main::Running() const
{
    return m_session.Running();
}

void TF_Main::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    Guard([this] { FormResize(); });
}

void TF_Main::FormResize()
{
    const MainLayout layout = ComputeMainLayout(size());
    Mess->setGeometry(layout.mess);
    Memo->setGeometry(layout.memo);
    Users->setGeometry(layout.users);
    Panel1->setGeometry(layout.panel);
}

void TF_Main::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    Guard([this] { m_tray->windowShown(); });
}

void TF_Main::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    Guard([this, event] {
        if (event->type() == QEvent::ActivationChange && isActiveWindow())
            FormActivate();
        // Colours taken from the desktop's scheme follow it while running; fixed colours stay as they are. The
        // window's own palette is never set, so a change of it is the desktop's.
        if (event->type() == QEvent::ApplicationPaletteChange || event->type() == QEvent::PaletteChange)
            ApplyAppearance();
        if (event->type() != QEvent::WindowStateChange)
            return;
        const bool minimized = windowState().testFlag(Qt::WindowMinimized);
        if (minimized && !m_wasMinimized)
            ApplicationEvents1Minimize();
        else if (!minimized && m_wasMinimized)
            ApplicationEvents1Restore();
        m_wasMinimized = minimized;
    });
}

void TF_Main::FormActivate()
{
    m_tray->stopFlashing();
}

// Minimising puts the program back into the tray: the window goes, the icon stays. Without a notification area
// there is no icon to come back by, so the window stays on the taskbar.
void TF_Main::ApplicationEvents1Minimize()
{
    if (!m_services.tray.isAvailable())
        return;
    QTimer::singleShot(0, this, [this] {
        if (windowState().testFlag(Qt::WindowMinimized))
            hide();
    });
}

void TF_Main::ApplicationEvents1Restore()
{
    ScrollMemoToEnd();
}

void TF_Main::ScrollMemoToEnd()
{
    Memo->scrollToEnd();
}

void TF_Main::mousePressEvent(QMouseEvent* event)
{
    QWidget::mousePressEvent(event);
    Guard([this] { m_tray->stopFlashing(); });
}

bool TF_Main::eventFilter(QObject* watched, QEvent* event)
{
    bool consumed = false;
    Guard([&] { consumed = HandleWatchedEvent(watched, event); });
    return consumed;
}

bool TF_Main::HandleWatchedEvent(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    const bool press = type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick;
    if (watched == Label3 || watched == Label4 || watched == Label5) {
        if (press)
            Label5MouseDown();
        return false;
    }
    if (watched == Label2) {
        HandleWebLinkEvent(Label2, event, m_services.shell);
        if (press)
            m_tray->stopFlashing();
        return false;
    }
    if (type == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        bool consumed = false;
        if (watched == Mess)
            MessKeyPress(key, consumed);
        else if (watched == UserName)
            UserNameKeyPress(key);
        else if (watched == Memo || watched == Users)
            m_tray->stopFlashing();
        return consumed;
    }
    if (watched == UserName && FocusMovedWithinProgram(event))
        UserNameExit();
    if (press && watched != Mess && watched != Users)
        m_tray->stopFlashing();
    return false;
}

void TF_Main::MessKeyPress(QKeyEvent* event, bool& consumed)
{
    m_tray->stopFlashing();
    if (event->key() == Qt::Key_Escape)
        showMinimized();
    const net::SendKeyOutcome outcome = net::SendKey(event->key(), Running(), m_settings);
    consumed = outcome.consumed;
    if (outcome.send)
        Send();
    else if (outcome.newLine)
        AppendLineBreak(Mess);
}

void TF_Main::Send()
{
    m_session.SendToEveryone(Mess->toPlainText());
    Mess->clear();
}

void TF_Main::UserNameKeyPress(QKeyEvent* event)
{
    m_tray->stopFlashing();
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        UserNameExit();
}

// Tells every connected peer the name in the box, changed or not.
void TF_Main::UserNameExit()
{
    m_session.AnnounceName();
}

void TF_Main::ShowMode(bool silent)
{
    Label5->setText(silent ? SilentModeCaption : NormalModeCaption);
    QPalette palette = Label5->palette();
    palette.setColor(QPalette::WindowText, silent ? ModeMaroon : ModeGreen);
    Label5->setPalette(palette);
}

void TF_Main::Label5MouseDown()
{
    m_session.ToggleSilent();
    m_tray->stopFlashing();
}

void TF_Main::RefreshUserView()
{
    m_userView->refresh();
}

void TF_Main::Button3Click()
{
    if (!Running())
        m_session.Run();
    else
        m_session.Stop();
    RefreshUserView();
}

void TF_Main::UsersDblClick()
{
    const QModelIndex current = Users->currentIndex();
    if (!current.isValid() || !Users->selectionModel()->isSelected(current))
        return;
    const int j = current.row();
    const QString address = m_userView->addressAt(j);
    if (address.isEmpty())
        return; // the row outlived its connection: there is nobody to write to
    if (m_personal->exec() != QDialog::Accepted)
        return;
    if (!m_session.SendPersonal(j, address, m_personal->Text()))
        m_services.boxes.show(this, QStringLiteral("Selected user has disconnected. Try later."),
                              QStringLiteral("User lost"), platform::BoxIcon::Error, platform::BoxButtons::Ok);
}

void TF_Main::AppendChatLine(const QString& line)
{
    Memo->appendPlainText(line);
}

void TF_Main::NotifyIncoming(const QString& line)
{
    m_tray->notifyIncoming(line, !m_session.Silent());
}

void TF_Main::Button4Click()
{
    if (m_services.boxes.askYesNo(this, QStringLiteral("Are you sure?"), QStringLiteral("Clear"),
                                  platform::BoxIcon::Question)) {
        FinishHistory();
        Memo->clear();
    }
}

void TF_Main::ShowMainWindow()
{
    setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
}

void TF_Main::closeEvent(QCloseEvent* event)
{
    if (m_sessionEnded) {
        event->accept();
        return;
    }
    bool proceed = false;
    Guard([&] { proceed = FormCloseQuery(); });
    if (!proceed) {
        event->ignore();
        return;
    }
    event->accept();
    Q_EMIT ApplicationEnd();
}

bool TF_Main::FormCloseQuery()
{
    SaveSession();
    if (AskOnExit && !m_services.boxes.askYesNo(this, QStringLiteral("Are you sure?"), QStringLiteral("Exit"),
                                                platform::BoxIcon::Warning))
        return false;
    if (Running())
        Button3Click();
    return true;
}

void TF_Main::EndSession()
{
    if (m_sessionEnded)
        return;
    m_sessionEnded = true;
    AskOnExit = false;
    // Ending the desktop session must not lose the day's chat: save without asking, each file on its own. Nobody
    // may be there to close a box, so a failure of any kind goes to standard error and the program ends all the
    // same.
    const auto quietly = [](auto step) {
        try {
            step();
        } catch (const ParleyError& e) {
            qWarning().noquote() << "Parley:" << WithFullStop(e.text());
        } catch (const std::exception& e) {
            qWarning().noquote() << "Parley:" << e.what();
        }
    };
    quietly([this] { SaveSettingsFile(); });
    quietly([this] { SaveChatText(); });
    quietly([this] {
        if (Running())
            Button3Click();
    });
    Q_EMIT ApplicationEnd();
}
