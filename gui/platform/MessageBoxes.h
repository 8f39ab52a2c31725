#pragma once

#include <QCoreApplication>
#include <QString>

class QWidget;

namespace platform {

enum class BoxIcon { None, Information, Warning, Error, Question };
enum class BoxButtons { Ok, YesNo };
enum class BoxAnswer { Ok, Yes, No };

// Modal message boxes. The event loop keeps running while one is open.
class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    virtual BoxAnswer show(QWidget* owner, const QString& text, const QString& caption, BoxIcon icon,
                           BoxButtons buttons) = 0;

    void error(QWidget* owner, const QString& text)
    {
        show(owner, text, QCoreApplication::translate("MessageBoxes", "Error"), BoxIcon::Error, BoxButtons::Ok);
    }
    bool askYesNo(QWidget* owner, const QString& text, const QString& caption, BoxIcon icon)
    {
        return show(owner, text, caption, icon, BoxButtons::YesNo) == BoxAnswer::Yes;
    }
};

class QtMessageBoxes final : public MessageBoxes {
public:
    BoxAnswer show(QWidget* owner, const QString& text, const QString& caption, BoxIcon icon,
                   BoxButtons buttons) override;
};

} // namespace platform
