#pragma once

#include "platform/Services.h"

#include <QDialog>

class ChatSession;

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

// The Users dialog: the list of peers that may talk to this copy, edited in place.
class TF_Users : public QDialog {
    Q_OBJECT
public:
    TF_Users(const Services& services, ChatSession& session, const QString& iniPath, QWidget* parent);

    QListWidget* ListBox1 = nullptr;
    QLineEdit* Edit1 = nullptr; // name
    QLineEdit* Edit2 = nullptr; // address
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;
    QPushButton* Button3 = nullptr;
    QPushButton* Button4 = nullptr;
    QLabel* Label11 = nullptr;

    void ListBox1Click();
    // The address check: rewrites the address box, or replaces it and says why.
    void Edit2Exit();
    void Button1Click();
    void Button2Click();
    void Button3Click();
    void Button4Click();
    void FormCloseQuery();

    void reject() override;

Q_SIGNALS:
    // The list was saved on closing: the main window shows its names.
    void closed();

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateHeader();
    void CreateEditors();
    void FormCreate();
    void FormShow();
    void Refuse(const QString& text);
    // Shows the session's refusal of a change to the list, when there is one.
    bool Refused(const QString& refusal);
    static QString RowText(const QString& ownName, const QString& address);

    const Services& m_services;
    ChatSession& m_session;
    QString m_iniPath;
};
