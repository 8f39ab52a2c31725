#include "gui/config/SettingBindings.h"

#include <QCheckBox>
#include <QRadioButton>

#include <algorithm>

namespace {
constexpr int RowHeight = 17;

// Tab lands on the chosen button of a pair, as in Qt's own groups, and the arrow keys move between the two; where
// neither is chosen, Tab lands on the first.
void LetTabReachTheChosen(QRadioButton* button)
{
    const QList<QRadioButton*> pair = button->parentWidget()->findChildren<QRadioButton*>(Qt::FindDirectChildrenOnly);
    const bool anyChosen = std::any_of(pair.cbegin(), pair.cend(), [](QRadioButton* b) { return b->isChecked(); });
    for (QRadioButton* b : pair) {
        const bool reachable = b->isChecked() || (!anyChosen && b == pair.first());
        b->setFocusPolicy(reachable ? Qt::StrongFocus : Qt::ClickFocus);
    }
}

// Unticks a radio button without ticking its partner, so that a group can show neither choice.
void SetRadio(QRadioButton* button, bool checked)
{
    if (checked || !button->isChecked()) {
        button->setChecked(checked);
        return;
    }
    button->setAutoExclusive(false);
    button->setChecked(false);
    button->setAutoExclusive(true);
}
} // namespace

QCheckBox* SettingBindings::check(QWidget* parent, const QString& caption, bool Settings::*member, int x, int y, int w)
{
    auto* box = new QCheckBox(caption, parent);
    box->setGeometry(x, y, w, RowHeight);
    if (member) {
        QObject::connect(box, &QCheckBox::toggled, box, [this, member](bool on) {
            m_settings.*member = on;
            m_edited();
        });
        m_bindings.emplace_back(box, member);
    }
    return box;
}

QRadioButton* SettingBindings::radio(QWidget* parent, const QString& caption, bool Settings::*member, int x, int y,
                                     int w)
{
    auto* button = new QRadioButton(caption, parent);
    button->setGeometry(x, y, w, RowHeight);
    QObject::connect(button, &QRadioButton::toggled, button, [this, member, button](bool on) {
        m_settings.*member = on;
        m_edited();
        LetTabReachTheChosen(button);
    });
    m_bindings.emplace_back(button, member);
    return button;
}

void SettingBindings::show(const Settings& settings)
{
    for (const auto& [control, member] : m_bindings) {
        if (auto* radio = qobject_cast<QRadioButton*>(control)) {
            SetRadio(radio, settings.*member);
            LetTabReachTheChosen(radio);
        } else
            control->setChecked(settings.*member);
    }
}
