#pragma once

#include "app/Services.h"

#include <QDialog>

class QPlainTextEdit;

// The personal-message dialog: one text to one peer.
class TF_Personal : public QDialog {
    Q_OBJECT
public:
    TF_Personal(const Services& services, Windows& windows);

    QPlainTextEdit* Mess = nullptr;
    QString Text() const;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormCreate();
    bool MessKeyPress(int key);
    void Finish();

    const Services& m_services;
    Windows& m_windows;
};
