#pragma once

#include "core/config/Settings.h"

#include <QWidget>

namespace platform {
class VersionQuery;
}

class QLineEdit;
class QPlainTextEdit;
class QTimer;

// The small stay-on-top window that shows an arriving line while the main window is in the tray. It never takes
// the keyboard from the window the person works in; a press on it closes it or answers, as the settings say.
class TF_Message : public QWidget {
    Q_OBJECT
public:
    TF_Message(const platform::VersionQuery& version, const Settings& settings);
    // The light-yellow body the window draws; the maroon rest is cut away.
    QWidget* body() const { return m_body; }
    QPlainTextEdit* textArea() const { return m_textArea; }
    // Holds the focus, above the top edge, so the text shows no caret.
    QLineEdit* focusHolder() const { return m_focusHolder; }
    // Steps the fade every 25 ms.
    QTimer* fadeTimer() const { return m_fadeTimer; }
    // Hides the popup after the delay.
    QTimer* hideTimer() const { return m_hideTimer; }
    // 1 fading in, 2 fading out.
    int fadeDirection() const { return m_fadeDirection; }

    void showLine(const QString& line) { showLines({line}); }
    // Lines of several senders, each starting a row of its own; each cut to its share of what the screen can show.
    void showLines(const QStringList& lines);
    void appear();
    void dismiss();
    // The whole-window opacity, 0 to 255, kept while hidden.
    int opacity() const { return m_opacity; }
    // Keeps the popup above other stay-on-top windows without activating it.
    void keepOnTop();
    void onBodyPressed(Qt::MouseButton button);

Q_SIGNALS:
    // The person answered: the main window comes up with the keyboard in its message box.
    void answered();

protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    QWidget* m_body = nullptr;
    QPlainTextEdit* m_textArea = nullptr;
    QLineEdit* m_focusHolder = nullptr;
    QTimer* m_fadeTimer = nullptr;
    QTimer* m_hideTimer = nullptr;
    int m_fadeDirection = 0;
    void showStartState();
    int displayedLines() const;
    void setOpacity(int opacity);
    void fadeStep();
    void onDelayOver();
    void cutAwayMaroon();

    const platform::VersionQuery& m_version;
    const Settings& m_settings;
    int m_opacity = 0;
    bool m_rounded = true;
};
