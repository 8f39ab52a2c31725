#pragma once

#include <QWidget>

class QLabel;

namespace platform {
class Shell;
}

// The main window's corner below the user view: the maker's and the product's names, the mode label and the web
// link. A press on the names or the mode label switches the mode; any press on the panel is the person's contact.
class LogoPanel : public QWidget {
    Q_OBJECT
public:
    LogoPanel(platform::Shell& shell, QWidget* parent);

    QLabel* productLabel() const { return m_productLabel; }
    QLabel* makerLabel() const { return m_makerLabel; }
    QLabel* modeLabel() const { return m_modeLabel; }
    QLabel* webLink() const { return m_webLink; }
    // "NORMAL MODE" in green or "SILENT MODE" in maroon.
    void showMode(bool silent);

Q_SIGNALS:
    void modeClicked();
    void pressed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void fitModeLabel();
    QLabel* m_productLabel = nullptr;
    QLabel* m_makerLabel = nullptr;
    QLabel* m_modeLabel = nullptr;
    QLabel* m_webLink = nullptr;
};
