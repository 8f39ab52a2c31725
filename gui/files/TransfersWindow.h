#pragma once

#include <QByteArray>
#include <QHash>
#include <QWidget>

class QLabel;
class QProgressBar;
class QPushButton;
class QVBoxLayout;
namespace files {
class FileTransfers;
struct Transfer;
} // namespace files
namespace platform {
class Shell;
}

// Every transfer of this session and those that wait from an earlier one: what, with whom, how far, and the
// person's buttons for it (Accept and Decline for an offer; Pause, Resume, Cancel; Open folder).
class TransfersWindow : public QWidget {
    Q_OBJECT
public:
    TransfersWindow(files::FileTransfers& transfers, platform::Shell& shell, QWidget* parent = nullptr);

    // Shown where an offer arrives: in front, without taking the keyboard from the program the person types in.
    void showWithoutFocus();
    // The row's buttons, for the person and for tests: null where the transfer has no such button now.
    QPushButton* button(const QByteArray& id, const QString& objectName) const;

    // "1 min 20 s", "45 s": time left at this speed.
    static QString TimeLeftText(quint64 bytes, double bytesPerSecond);

private:
    struct Row {
        QWidget* frame = nullptr;
        QLabel* heading = nullptr;
        QLabel* status = nullptr;
        QProgressBar* bar = nullptr;
        QPushButton* accept = nullptr;
        QPushButton* decline = nullptr;
        QPushButton* pause = nullptr;
        QPushButton* cancel = nullptr;
        QPushButton* openFolder = nullptr;
    };

    void rebuild();
    Row makeRow(const QByteArray& id);
    void update(const QByteArray& id);
    QString statusText(const files::Transfer& transfer) const;

    files::FileTransfers& m_transfers;
    platform::Shell& m_shell;
    QVBoxLayout* m_list;
    QLabel* m_empty;
    QHash<QByteArray, Row> m_rows;
};
