#include "gui/platform/MessageBoxes.h"

#include <QMessageBox>
#include <QPointer>

namespace platform {

namespace {
QMessageBox::Icon ToQt(BoxIcon icon)
{
    switch (icon) {
    case BoxIcon::Information:
        return QMessageBox::Information;
    case BoxIcon::Warning:
        return QMessageBox::Warning;
    case BoxIcon::Error:
        return QMessageBox::Critical;
    case BoxIcon::Question:
        return QMessageBox::Question;
    case BoxIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}
} // namespace

BoxAnswer QtMessageBoxes::show(QWidget* owner, const QString& text, const QString& caption, BoxIcon icon,
                               BoxButtons buttons)
{
    const bool yesNo = buttons == BoxButtons::YesNo;
    QPointer<QMessageBox> box =
        new QMessageBox(ToQt(icon), caption, text, yesNo ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok, owner);
    box->setAttribute(Qt::WA_DeleteOnClose, false);
    const int result = box->exec();
    delete box;
    if (!yesNo)
        return BoxAnswer::Ok;
    return result == QMessageBox::Yes ? BoxAnswer::Yes : BoxAnswer::No;
}

} // namespace platform
