#pragma once

#include "core/base/Gen_func.h"
#include "core/platform/VersionQuery.h"
#include "gui/platform/Choosers.h"
#include "gui/platform/Cursor.h"
#include "gui/platform/MessageBoxes.h"
#include "gui/platform/Notifications.h"
#include "gui/platform/Services.h"
#include "gui/platform/Shell.h"
#include "gui/platform/Sound.h"
#include "gui/platform/TrayArea.h"

#include <QList>
#include <QPointer>
#include <QProcess>
#include <QQueue>
#include <QTemporaryDir>
#include <QUrl>
#include <QWidget>

#include <functional>
#include <memory>

// Message boxes that answer from a queue (Yes when it is empty) and remember what they showed.
class ScriptedMessageBoxes final : public platform::MessageBoxes {
public:
    struct Shown {
        QPointer<QWidget> owner;
        bool hadOwner = false;
        QString text;
        QString caption;
        platform::BoxIcon icon;
        platform::BoxButtons buttons;
    };
    QList<Shown> shown;
    QList<platform::BoxAnswer> answers;
    // When set, each box keeps the event loop running this long before it answers, as a real modal box does
    // while a person reads it.
    int modalMs = 0;
    int open = 0;
    int mostOpenAtOnce = 0;

    platform::BoxAnswer show(QWidget* owner, const QString& text, const QString& caption, platform::BoxIcon icon,
                             platform::BoxButtons buttons) override;
    QStringList texts() const;
};

class FixedCursor final : public platform::Cursor {
public:
    QPoint at{300, 200};
    QPoint position() const override { return at; }
};

class RecordingShell final : public platform::Shell {
public:
    QList<QUrl> opened;
    std::function<void(const QUrl&)> onOpen;
    void open(const QUrl& url) override;
};

class FixedVersionQuery final : public platform::VersionQuery {
public:
    WindowsVersion version{5, 1, 2600, 2, QString()};
    WindowsVersion query() const override { return version; }
};

// Choosers that answer from what the test put in; nullopt is Cancel.
class ScriptedChoosers final : public platform::Choosers {
public:
    std::optional<platform::ChosenFont> font;
    std::optional<QString> file;
    int fontCalls = 0;
    QString lastFilter;
    QString lastInitialFile;

    std::optional<platform::ChosenFont> chooseFont(QWidget*, const platform::ChosenFont&) override
    {
        ++fontCalls;
        return font;
    }
    std::optional<QString> chooseOpenFile(QWidget*, const QString& initialFile, const QString& filter,
                                          const QString&) override
    {
        lastInitialFile = initialFile;
        lastFilter = filter;
        return file;
    }
    std::optional<QString> chooseFolder(QWidget*, const QString&) override { return folder; }
    std::optional<QString> folder;
};

// A notification area that records what the program shows in it; tests click it with click().
class FakeTrayArea final : public platform::TrayArea {
    Q_OBJECT
public:
    bool available = true;
    bool visible = false;
    int iconChanges = 0;
    QIcon icon;
    QMenu* menu = nullptr;
    QString toolTip;
    // Called whenever the program asks whether there is a notification area.
    std::function<void()> onAsked;

    bool isAvailable() const override
    {
        if (onAsked)
            onAsked();
        return available;
    }
    void setIcon(const QIcon& i) override;
    void setVisible(bool v) override { visible = v; }
    bool isVisible() const override { return visible; }
    void setToolTip(const QString& text) override { toolTip = text; }
    void setContextMenu(QMenu* m) override { menu = m; }
    void click(Qt::MouseButton button) { Q_EMIT mouseUp(button); }
};

// The desktop's notification service, as a test scripts it: what was shown, and whether the service is there.
class RecordingNotifications final : public platform::Notifications {
    Q_OBJECT
public:
    struct Shown {
        QString summary;
        QString body;
        int timeoutMs;
    };
    QList<Shown> shown;
    bool missing = false;
    void show(const QString& summary, const QString& body, int timeoutMs) override
    {
        if (missing) {
            m_failed = true;
            Q_EMIT failed();
            return;
        }
        shown.append({summary, body, timeoutMs});
    }
    void showWithActions(const QString& summary, const QString& body, int timeoutMs,
                         const QList<Action>& given) override
    {
        show(summary, body, timeoutMs);
        actions = given;
    }
    bool failedBefore() const override { return m_failed; }
    void click() { Q_EMIT answered(); }
    QList<Action> actions;

private:
    bool m_failed = false;
};

// Every service a window needs, as doubles, with a private program folder and lock folder.
// Sounds asked for, as the main window asked for them.
class RecordingSound final : public platform::Sound {
public:
    QStringList played; // "beep", or the file name
    QStringList lastFolders;
    void beep() override { played.append(QStringLiteral("beep")); }
    void playFile(const QString& name, const QStringList& folders) override
    {
        played.append(name);
        lastFolders = folders;
    }
};

struct TestServices {
    TestServices();

    QTemporaryDir programDir;
    QTemporaryDir lockDir;
    QTemporaryDir configHome;
    ScriptedMessageBoxes boxes;
    RecordingShell shell;
    FixedCursor cursor;
    FakeTrayArea tray;
    FixedVersionQuery version;
    ScriptedChoosers choosers;
    RecordingSound sound;
    RecordingNotifications notifications;
    Services services;

    QString lockPath() const { return lockDir.path() + QStringLiteral("/Parley.tmp"); }
    QString file(const QString& name) const { return programDir.path() + QLatin1Char('/') + name; }
};

// Another process holding the single-instance lock, as a running copy does.
class LockHolder {
public:
    explicit LockHolder(const QString& path);
    ~LockHolder();
    bool holding() const { return m_holding; }

private:
    QProcess m_process;
    bool m_holding = false;
};
