#pragma once

#include "config/Settings.h"
#include "platform/Services.h"

#include <QWidget>

class QLineEdit;
class QPlainTextEdit;
class QTimer;

// The small stay-on-top window that shows an arriving line while the main window is in the tray. It never takes
// the keyboard from the window the person works in; a press on it closes it or answers, as the settings say.
class TF_Message : public QWidget {
    Q_OBJECT
public:
    TF_Message(const Services& services, const Settings& settings);

    QWidget* Shape1 = nullptr; // the light-yellow body the window draws; the maroon rest is cut away
    QPlainTextEdit* TextMemo = nullptr;
    QLineEdit* Edit1 = nullptr; // focus holder, above the top edge, so the text shows no caret
    QTimer* Timer1 = nullptr;   // fade, 25 ms
    QTimer* Timer2 = nullptr;   // hide after the delay
    int FadeDirection = 0;      // 1 fading in, 2 fading out

    void ShowLine(const QString& line);
    void Appear();
    void Dismiss();
    // The whole-window opacity, 0 to 255, kept while hidden.
    int Opacity() const { return m_opacity; }
    // Keeps the popup above other stay-on-top windows without activating it.
    void KeepOnTop();
    void Shape1MouseDown(Qt::MouseButton button);

Q_SIGNALS:
    // The person answered: the main window comes up with the keyboard in its message box.
    void answered();

protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void FormCreate();
    int DisplayedLines() const;
    void SetOpacity(int opacity);
    void Timer1Timer();
    void Timer2Timer();
    void CutAwayMaroon();

    const Services& m_services;
    const Settings& m_settings;
    int m_opacity = 0;
    bool m_rounded = true;
};
