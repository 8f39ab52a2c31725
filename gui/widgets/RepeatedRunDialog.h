#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

// A dialog that runs a job on a thread of its own each time it is shown and each time its "again" button is
// pressed, with a status line above its content and the buttons below. Hiding it cancels the job under way.
class RepeatedRunDialog : public QDialog {
    Q_OBJECT
public:
    QLabel* status() const { return m_status; }
    // Starts the job now, cancelling one under way.
    void run();
    virtual bool running() const = 0;

protected:
    RepeatedRunDialog(const QString& objectName, const QString& title, const QString& againCaption, QSize size,
                      QWidget* parent);
    // The content, top to bottom; the status line goes above the last, which takes the room left.
    void setContent(const QList<QWidget*>& widgets);
    // The job: begins on its thread and, when done, calls finished() on the dialog's.
    virtual void start() = 0;
    virtual void cancel() = 0;
    void finished(const QString& status);

    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    QLabel* m_status;
    QPushButton* m_againButton;
};
