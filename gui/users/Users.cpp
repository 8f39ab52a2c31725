#include "gui/users/Users.h"

#include "core/base/Errors.h"
#include "core/base/Gen_func.h"
#include "core/base/Site.h"
#include "core/net/Wire.h"
#include "core/session/ChatSession.h"
#include "core/session/PeerStateText.h"
#include "core/session/SessionStore.h"
#include "gui/platform/MessageBoxes.h"
#include "gui/users/FindCopiesDialog.h"
#include "gui/users/PrivateLineDialog.h"
#include "gui/widgets/WidgetHelpers.h"

#include <QDateTime>
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

TF_Users::TF_Users(platform::MessageBoxes& boxes, platform::Shell& shell, ChatSession& session,
                   const SessionStore& store, QWidget* parent)
    : QDialog(parent), m_boxes(boxes), m_shell(shell), m_session(session), m_store(store)
{
    // Taller than the design by the row of "Find copies...".
    SetUpFixedDialog(this, QStringLiteral("F_Users"), tr("Users"), QSize(376, 314));
    createHeader();
    createEditors();
    // The names the program's design gives the controls, as their object names.
    const std::pair<QWidget*, const char*> designNames[] = {
        {m_entryList, "ListBox1"},  {m_nameBox, "Edit1"},        {m_addressBox, "Edit2"},    {m_addButton, "Button1"},
        {m_applyButton, "Button2"}, {m_deleteButton, "Button3"}, {m_clearButton, "Button4"}, {m_webLink, "Label11"}};
    for (const auto& [control, name] : designNames)
        control->setObjectName(QLatin1String(name));
    FitCaptions(this, findChildren<QWidget*>());
}

void TF_Users::createHeader()
{
    Label(this, QStringLiteral("PARLEY"), QRect(4, 8, 92, 25), PixelFont(QStringLiteral("Verdana"), 21, true, true));
    Label(this, QStringLiteral("Quendlewick"), QRect(8, 0, 80, 14), PixelFont(QStringLiteral("Arial"), 11, true));
    Label(this, QStringLiteral(" version " PARLEY_VERSION " =FINAL="), QRect(97, 17, 130, 14),
          PixelFont(QStringLiteral("Arial"), 11, true));
    QLabel* visit = Label(this, tr("visit our site:"), QRect(280, 6, 93, 13), PixelFont(QStringLiteral("Tahoma"), 11));
    visit->setAlignment(Qt::AlignRight);
    m_webLink = Label(this, QLatin1String(MakerSiteCaption), QRect(220, 18, 151, 14),
                      PixelFont(QStringLiteral("Arial"), 11, true));
    m_webLink->setAlignment(Qt::AlignRight);
    m_webLink->setCursor(Qt::PointingHandCursor);
    MakeWebLink(m_webLink, m_shell);
    auto* bevel = new QFrame(this);
    bevel->setFrameShape(QFrame::HLine);
    bevel->setFrameShadow(QFrame::Sunken);
    bevel->setGeometry(0, 36, 377, 4);
    QLabel* about = Label(this,
                          tr("    Not any user can connect to Parley - only specified in next list; and if you "
                             "selected \"Add IP\" option in configuration window - Parley adds a new user who "
                             "connects to this list by itself, as \"Unknown\"."),
                          QRect(8, 44, 361, 41), font());
    about->setWordWrap(true);
}

void TF_Users::createEditors()
{
    Label(this, tr("User list:"), QRect(20, 88, 120, 14), font());
    Label(this, tr("User name:"), QRect(240, 96, 130, 14), font());
    Label(this, tr("User TCP/IP address:"), QRect(240, 140, 130, 14), font());
    const QFont bold = PixelFont(QStringLiteral("MS Sans Serif"), 13, true);

    m_entryList = new QListWidget(this);
    m_entryList->setAccessibleName(tr("User list"));
    m_entryList->setGeometry(12, 104, 217, 171);
    m_entryList->setFont(bold);
    m_entryList->setSelectionMode(QAbstractItemView::SingleSelection);
    connect(m_entryList, &QListWidget::itemSelectionChanged, this, Guarded([this] { onEntrySelected(); }));

    m_nameBox = new QLineEdit(this);
    m_nameBox->setAccessibleName(tr("User name"));
    m_nameBox->setGeometry(236, 112, 133, 23);
    m_nameBox->setFont(bold);
    m_addressBox = new QLineEdit(this);
    m_addressBox->setAccessibleName(tr("User TCP/IP address"));
    m_addressBox->setGeometry(236, 156, 133, 23);
    m_addressBox->setFont(bold);
    MakeDigitBox(m_addressBox, QStringLiteral("."), [this] { onAddressLeft(); });

    const auto makeButton = [this](const QString& caption, int x, int y, void (TF_Users::*handler)()) {
        auto* button = new QPushButton(caption, this);
        button->setGeometry(x, y, 65, 25);
        button->setAutoDefault(false);
        connect(button, &QPushButton::clicked, this, Guarded([this, handler] { (this->*handler)(); }));
        return button;
    };
    m_addButton = makeButton(tr("Add"), 236, 188, &TF_Users::onAddClicked);
    m_applyButton = makeButton(tr("Apply"), 304, 188, &TF_Users::onApplyClicked);
    m_deleteButton = makeButton(tr("Delete"), 236, 216, &TF_Users::onDeleteClicked);
    m_clearButton = makeButton(tr("Clear"), 304, 216, &TF_Users::onClearClicked);
    m_findCopiesButton = new QPushButton(tr("Find copies..."), this);
    m_findCopiesButton->setObjectName(QStringLiteral("FindCopies"));
    m_findCopiesButton->setGeometry(236, 250, 133, 25);
    m_findCopiesButton->setAutoDefault(false);
    connect(m_findCopiesButton, &QPushButton::clicked, this, Guarded([this] { onFindCopiesClicked(); }));
    m_privateLineButton = new QPushButton(tr("Private line..."), this);
    m_privateLineButton->setObjectName(QStringLiteral("PrivateLine"));
    m_privateLineButton->setGeometry(236, 282, 133, 25);
    m_privateLineButton->setAutoDefault(false);
    connect(m_privateLineButton, &QPushButton::clicked, this, Guarded([this] { onPrivateLineClicked(); }));
    setTabOrder(m_entryList, m_nameBox);
    setTabOrder(m_nameBox, m_addressBox);
    setTabOrder(m_addressBox, m_addButton);
}

QString TF_Users::safetyNumberOf(int k) const
{
    const net::PrivateLinks* links = m_session.connections().privateLinks();
    const std::optional<quint32> address = net::ParseDottedDecimal(m_session.userList().Address(k));
    return links && address ? links->SafetyNumberOf(*address) : QString();
}

// A peer whose key is pinned: its safety number, to compare by voice, and the word after a changed key.
void TF_Users::onPrivateLineClicked()
{
    const QList<QListWidgetItem*> selected = m_entryList->selectedItems();
    net::PrivateLinks* links = m_session.connections().privateLinks();
    if (selected.isEmpty() || !links)
        return;
    const int k = m_entryList->row(selected.first());
    const std::optional<quint32> address = net::ParseDottedDecimal(m_session.userList().Address(k));
    if (!address)
        return;
    PrivateLineDialog dialog(m_boxes, *links, *address, m_session.userList().OwnName(k), this);
    dialog.exec();
}

QString TF_Users::rowText(const QString& ownName, const QString& address)
{
    return ownName + QStringLiteral(" - ") + address;
}

void TF_Users::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    Guard([this] { showEntries(); });
    CentreOnScreen(this);
    // The dialog opens with the keyboard in the list, never on the web link, which Enter would open.
    m_entryList->setFocus(Qt::TabFocusReason);
}

// The rows are rebuilt from the list at every showing, so peers added meanwhile appear.
void TF_Users::showEntries()
{
    const UserList& users = m_session.userList();
    const QSignalBlocker quiet(m_entryList);
    m_entryList->clear();
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    for (int i = 0; i < users.Count(); ++i) {
        m_entryList->addItem(rowText(users.OwnName(i), users.Address(i)));
        // How the peer is linked to us now, while the service runs.
        if (m_session.Running())
            m_entryList->item(i)->setToolTip(PeerStateText(m_session.connections().LinkOfEntry(i), now));
    }
    m_entryList->setCurrentRow(-1);
    m_entryList->clearSelection();
    onEntrySelected();
}

void TF_Users::onEntrySelected()
{
    const QList<QListWidgetItem*> selected = m_entryList->selectedItems();
    const bool any = !selected.isEmpty();
    m_applyButton->setEnabled(any);
    m_deleteButton->setEnabled(any);
    const bool keyKnown = any && !safetyNumberOf(m_entryList->row(selected.first())).isEmpty();
    m_privateLineButton->setEnabled(keyKnown);
    // A greyed button says why, where the mouse and a screen reader find it.
    const QString why =
        keyKnown ? QString()
        : !any
            ? tr("Select a user first.")
            : tr("This copy has no key from that user yet: both need \"Private lines with other Parley copies\" on in "
                 "the Configuration dialog, and a Run! while the other copy is up.");
    m_privateLineButton->setToolTip(why);
    m_privateLineButton->setAccessibleDescription(why);
    if (!any) {
        m_nameBox->clear();
        m_addressBox->setText(NoAddress);
        return;
    }
    const UserList& users = m_session.userList();
    const int i = m_entryList->row(selected.first());
    m_nameBox->setText(users.OwnName(i));
    m_addressBox->setText(users.Address(i));
}

void TF_Users::refuse(const QString& text)
{
    m_boxes.error(this, text);
}

void TF_Users::onAddressLeft()
{
    const QString text = m_addressBox->text();
    if (CountChar(text, QLatin1Char('.')) != 3) {
        m_addressBox->setText(NoAddress);
        refuse(tr("Incorrect TCP/IP address. It must be NNN.NNN.NNN.NNN"));
        return;
    }
    QStringList parts;
    for (int p = 1; p <= 4; ++p) {
        const int value = StrToInt(ExtractField(text, QLatin1Char('.'), p));
        if (value > 255) {
            m_addressBox->setText(QStringLiteral("255.255.255.255"));
            refuse(tr("Single part of TCP/IP address cannot be greater than 255!"));
            return;
        }
        parts.append(QString::number(value));
    }
    m_addressBox->setText(parts.join(QLatin1Char('.')));
}

bool TF_Users::refused(const QString& refusal)
{
    if (refusal.isEmpty())
        return false;
    refuse(refusal);
    return true;
}

void TF_Users::onAddClicked()
{
    onAddressLeft();
    if (refused(m_session.RefusalToAdd(m_addressBox->text(), m_nameBox->text())))
        return;
    m_session.AddUser(m_addressBox->text(), m_nameBox->text());
    m_entryList->addItem(rowText(m_nameBox->text(), m_addressBox->text()));
}

FindCopiesDialog* TF_Users::findCopies()
{
    if (!m_findCopies) {
        m_findCopies = new FindCopiesDialog(m_session, this);
        connect(m_findCopies, &FindCopiesDialog::added, this, Guarded([this] { showEntries(); }));
    }
    return m_findCopies;
}

void TF_Users::onFindCopiesClicked()
{
    findCopies()->exec();
}

void TF_Users::onApplyClicked()
{
    if (refused(m_session.RefusalToChange(m_nameBox->text())))
        return;
    onAddressLeft();
    const QList<QListWidgetItem*> selected = m_entryList->selectedItems();
    const int row = selected.isEmpty() ? -1 : m_entryList->row(selected.first());
    if (refused(m_session.RefusalOfAddress(m_addressBox->text(), row)) || row < 0)
        return;
    m_session.UpdateUser(row, m_addressBox->text(), m_nameBox->text());
    selected.first()->setText(rowText(m_nameBox->text(), m_addressBox->text()));
}

void TF_Users::onDeleteClicked()
{
    const QList<QListWidgetItem*> selected = m_entryList->selectedItems();
    if (selected.isEmpty() || refused(m_session.RefusalToRemove()))
        return;
    if (!m_boxes.askYesNo(this, tr("Are you sure?"), tr("Delete IP"), platform::BoxIcon::Warning))
        return;
    const int row = m_entryList->row(selected.first());
    m_session.RemoveUser(row);
    const QSignalBlocker quiet(m_entryList);
    delete m_entryList->takeItem(row);
    m_entryList->clearSelection();
    m_entryList->setCurrentRow(-1);
    onEntrySelected();
}

void TF_Users::onClearClicked()
{
    if (m_entryList->count() == 0 || refused(m_session.RefusalToRemove()))
        return;
    if (!m_boxes.askYesNo(this, tr("Are you sure?"), tr("Clear"), platform::BoxIcon::Warning) ||
        !m_boxes.askYesNo(this, tr("Are you really sure?"), tr("Clear"), platform::BoxIcon::Warning))
        return;
    m_session.ClearUsers();
    const QSignalBlocker quiet(m_entryList);
    m_entryList->clear();
    onEntrySelected();
}

// Every close saves the list, changed or not, and shows the result in the main window.
void TF_Users::saveList()
{
    m_store.saveUserList(m_session.userList());
    Q_EMIT closed();
}

void TF_Users::reject()
{
    // The dialog always closes; a save that fails is reported all the same.
    Guard([this] { saveList(); });
    QDialog::reject();
}
