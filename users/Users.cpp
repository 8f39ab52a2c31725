#include "users/Users.h"

#include "common/Errors.h"
#include "common/Gen_func.h"
#include "common/Site.h"
#include "net/ChatSession.h"
#include "platform/MessageBoxes.h"
#include "platform/ProfileFile.h"
#include "ui/WidgetHelpers.h"

#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

namespace {
QLabel* Label(QWidget* parent, const QString& text, const QRect& place, const QFont& font)
{
    auto* label = new QLabel(text, parent);
    label->setGeometry(place);
    label->setFont(font);
    return label;
}

const QString NoAddress = QStringLiteral("0.0.0.0");
} // namespace

TF_Users::TF_Users(const Services& services, ChatSession& session, const QString& iniPath, QWidget* parent)
    : QDialog(parent), m_services(services), m_session(session), m_iniPath(iniPath)
{
    SetUpFixedDialog(this, QStringLiteral("F_Users"), QStringLiteral("Users"), QSize(376, 255));
    CreateHeader();
    CreateEditors();
    Guard([this] { FormCreate(); });
}

void TF_Users::CreateHeader()
{
    Label(this, QStringLiteral("PARLEY"), QRect(4, 8, 92, 25), PixelFont(QStringLiteral("Verdana"), 21, true, true));
    Label(this, QStringLiteral("Quendlewick"), QRect(8, 0, 80, 14), PixelFont(QStringLiteral("Arial"), 11, true));
    Label(this, QStringLiteral(" version " PARLEY_VERSION " =FINAL="), QRect(97, 17, 130, 14),
          PixelFont(QStringLiteral("Arial"), 11, true));
    QLabel* visit =
        Label(this, QStringLiteral("visit our site:"), QRect(280, 6, 93, 13), PixelFont(QStringLiteral("Tahoma"), 11));
    visit->setAlignment(Qt::AlignRight);
    Label11 = Label(this, QLatin1String(MakerSiteCaption), QRect(220, 18, 151, 14),
                    PixelFont(QStringLiteral("Arial"), 11, true));
    Label11->setAlignment(Qt::AlignRight);
    Label11->setCursor(Qt::PointingHandCursor);
    Label11->installEventFilter(this);
    auto* bevel = new QFrame(this);
    bevel->setFrameShape(QFrame::HLine);
    bevel->setFrameShadow(QFrame::Sunken);
    bevel->setGeometry(0, 36, 377, 4);
    QLabel* about =
        Label(this,
              QStringLiteral("    Not any user can connect to Parley - only specified in next list; and if you "
                             "selected \"Add IP\" option in configuration window - Parley will ask you when "
                             "new user tries to connect."),
              QRect(8, 44, 361, 41), font());
    about->setWordWrap(true);
}

void TF_Users::CreateEditors()
{
    Label(this, QStringLiteral("User list:"), QRect(20, 88, 120, 14), font());
    Label(this, QStringLiteral("User name:"), QRect(240, 96, 130, 14), font());
    Label(this, QStringLiteral("User TCP/IP address:"), QRect(240, 140, 130, 14), font());
    const QFont bold = PixelFont(QStringLiteral("MS Sans Serif"), 13, true);

    ListBox1 = new QListWidget(this);
    ListBox1->setAccessibleName(QStringLiteral("User list"));
    ListBox1->setGeometry(12, 104, 217, 141);
    ListBox1->setFont(bold);
    ListBox1->setSelectionMode(QAbstractItemView::SingleSelection);
    connect(ListBox1, &QListWidget::itemSelectionChanged, this, Guarded([this] { ListBox1Click(); }));

    Edit1 = new QLineEdit(this);
    Edit1->setAccessibleName(QStringLiteral("User name"));
    Edit1->setGeometry(236, 112, 133, 23);
    Edit1->setFont(bold);
    Edit2 = new QLineEdit(this);
    Edit2->setAccessibleName(QStringLiteral("User TCP/IP address"));
    Edit2->setGeometry(236, 156, 133, 23);
    Edit2->setFont(bold);
    Edit2->installEventFilter(this);

    const auto makeButton = [this](const QString& caption, int x, int y, void (TF_Users::*handler)()) {
        auto* button = new QPushButton(caption, this);
        button->setGeometry(x, y, 65, 25);
        button->setAutoDefault(false);
        connect(button, &QPushButton::clicked, this, Guarded([this, handler] { (this->*handler)(); }));
        return button;
    };
    Button1 = makeButton(QStringLiteral("Add"), 236, 188, &TF_Users::Button1Click);
    Button2 = makeButton(QStringLiteral("Apply"), 304, 188, &TF_Users::Button2Click);
    Button3 = makeButton(QStringLiteral("Delete"), 236, 216, &TF_Users::Button3Click);
    Button4 = makeButton(QStringLiteral("Clear"), 304, 216, &TF_Users::Button4Click);
    setTabOrder(ListBox1, Edit1);
    setTabOrder(Edit1, Edit2);
    setTabOrder(Edit2, Button1);
}

void TF_Users::FormCreate() {}

QString TF_Users::RowText(const QString& ownName, const QString& address)
{
    return ownName + QStringLiteral(" - ") + address;
}

void TF_Users::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    Guard([this] { FormShow(); });
    CentreOnScreen(this);
}

// The rows are rebuilt from the list at every showing, so peers added meanwhile appear.
void TF_Users::FormShow()
{
    const UserList& users = m_session.userList();
    const QSignalBlocker quiet(ListBox1);
    ListBox1->clear();
    for (int i = 0; i < users.Count(); ++i)
        ListBox1->addItem(RowText(users.OwnName(i), users.Address(i)));
    ListBox1->setCurrentRow(-1);
    ListBox1->clearSelection();
    ListBox1Click();
}

void TF_Users::ListBox1Click()
{
    const QList<QListWidgetItem*> selected = ListBox1->selectedItems();
    const bool any = !selected.isEmpty();
    Button2->setEnabled(any);
    Button3->setEnabled(any);
    if (!any) {
        Edit1->clear();
        Edit2->setText(NoAddress);
        return;
    }
    const UserList& users = m_session.userList();
    const int i = ListBox1->row(selected.first());
    Edit1->setText(users.OwnName(i));
    Edit2->setText(users.Address(i));
}

void TF_Users::Refuse(const QString& text)
{
    m_services.boxes.error(this, text);
}

void TF_Users::Edit2Exit()
{
    const QString text = Edit2->text();
    if (CountChar(text, QLatin1Char('.')) != 3) {
        Edit2->setText(NoAddress);
        Refuse(QStringLiteral("Incorrect TCP/IP address. It must be NNN.NNN.NNN.NNN"));
        return;
    }
    QStringList parts;
    for (int p = 1; p <= 4; ++p) {
        const int value = StrToInt(ExtractField(text, QLatin1Char('.'), p));
        if (value > 255) {
            Edit2->setText(QStringLiteral("255.255.255.255"));
            Refuse(QStringLiteral("Single part of TCP/IP address cannot be greater than 255!"));
            return;
        }
        parts.append(QString::number(value));
    }
    Edit2->setText(parts.join(QLatin1Char('.')));
}

bool TF_Users::Refused(const QString& refusal)
{
    if (refusal.isEmpty())
        return false;
    Refuse(refusal);
    return true;
}

void TF_Users::Button1Click()
{
    Edit2Exit();
    if (Refused(m_session.RefusalToAdd(Edit2->text(), Edit1->text())))
        return;
    m_session.AddUser(Edit2->text(), Edit1->text());
    ListBox1->addItem(RowText(Edit1->text(), Edit2->text()));
}

void TF_Users::Button2Click()
{
    if (Refused(m_session.RefusalToChange(Edit1->text())))
        return;
    Edit2Exit();
    const QList<QListWidgetItem*> selected = ListBox1->selectedItems();
    const int row = selected.isEmpty() ? -1 : ListBox1->row(selected.first());
    if (Refused(m_session.RefusalOfAddress(Edit2->text(), row)) || row < 0)
        return;
    m_session.UpdateUser(row, Edit2->text(), Edit1->text());
    selected.first()->setText(RowText(Edit1->text(), Edit2->text()));
}

void TF_Users::Button3Click()
{
    const QList<QListWidgetItem*> selected = ListBox1->selectedItems();
    if (selected.isEmpty() || Refused(m_session.RefusalToRemove()))
        return;
    if (!m_services.boxes.askYesNo(this, QStringLiteral("Are you sure?"), QStringLiteral("Delete IP"),
                                   platform::BoxIcon::Warning))
        return;
    const int row = ListBox1->row(selected.first());
    m_session.RemoveUser(row);
    const QSignalBlocker quiet(ListBox1);
    delete ListBox1->takeItem(row);
    ListBox1->clearSelection();
    ListBox1->setCurrentRow(-1);
    ListBox1Click();
}

void TF_Users::Button4Click()
{
    if (ListBox1->count() == 0 || Refused(m_session.RefusalToRemove()))
        return;
    if (!m_services.boxes.askYesNo(this, QStringLiteral("Are you sure?"), QStringLiteral("Clear"),
                                   platform::BoxIcon::Warning) ||
        !m_services.boxes.askYesNo(this, QStringLiteral("Are you really sure?"), QStringLiteral("Clear"),
                                   platform::BoxIcon::Warning))
        return;
    m_session.ClearUsers();
    const QSignalBlocker quiet(ListBox1);
    ListBox1->clear();
    ListBox1Click();
}

// Every close saves the list, changed or not, and shows the result in the main window.
void TF_Users::FormCloseQuery()
{
    platform::ProfileFile ini = platform::ProfileFile::load(m_iniPath);
    m_session.userList().SaveUserList(ini);
    ini.save();
    Q_EMIT closed();
}

void TF_Users::reject()
{
    // The dialog always closes; a save that fails is reported all the same.
    Guard([this] { FormCloseQuery(); });
    QDialog::reject();
}

bool TF_Users::eventFilter(QObject* watched, QEvent* event)
{
    bool consumed = false;
    Guard([&] {
        if (watched == Edit2 && event->type() == QEvent::KeyPress)
            consumed = DropsTypedCharacter(static_cast<QKeyEvent*>(event), QStringLiteral("."));
        else if (watched == Edit2 && FocusMovedWithinProgram(event))
            Edit2Exit();
        else if (watched == Label11)
            HandleWebLinkEvent(Label11, event, m_services.shell);
    });
    return consumed;
}
