#pragma once

#include <QDialog>

namespace platform {
class MessageBoxes;
class Shell;
} // namespace platform

class ChatSession;
class FindCopiesDialog;
class SessionStore;

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

// The Users dialog: the list of peers that may talk to this copy, edited in place.
class TF_Users : public QDialog {
    Q_OBJECT
public:
    TF_Users(platform::MessageBoxes& boxes, platform::Shell& shell, ChatSession& session, const SessionStore& store,
             QWidget* parent);

    // The controls, named for what they are; each has its design name (ListBox1, Edit1, ...) as its object name.
    QListWidget* entryList() const { return m_entryList; }
    QLineEdit* nameBox() const { return m_nameBox; }
    QLineEdit* addressBox() const { return m_addressBox; }
    QPushButton* addButton() const { return m_addButton; }
    QPushButton* applyButton() const { return m_applyButton; }
    QPushButton* deleteButton() const { return m_deleteButton; }
    QPushButton* clearButton() const { return m_clearButton; }
    QLabel* webLink() const { return m_webLink; }
    QPushButton* findCopiesButton() const { return m_findCopiesButton; }
    QPushButton* privateLineButton() const { return m_privateLineButton; }
    // Made when first asked for.
    FindCopiesDialog* findCopies();

    void onEntrySelected();
    // The address check: rewrites the address box, or replaces it and says why.
    void onAddressLeft();
    void onAddClicked();
    void onApplyClicked();
    void onDeleteClicked();
    void onClearClicked();
    void onFindCopiesClicked();
    void onPrivateLineClicked();
    void saveList();

    void reject() override;

Q_SIGNALS:
    // The list was saved on closing: the main window shows its names.
    void closed();

protected:
    void showEvent(QShowEvent* event) override;

private:
    QListWidget* m_entryList = nullptr;
    QLineEdit* m_nameBox = nullptr;
    QLineEdit* m_addressBox = nullptr;
    QPushButton* m_addButton = nullptr;
    QPushButton* m_applyButton = nullptr;
    QPushButton* m_deleteButton = nullptr;
    QPushButton* m_clearButton = nullptr;
    QLabel* m_webLink = nullptr;
    QPushButton* m_findCopiesButton = nullptr;
    FindCopiesDialog* m_findCopies = nullptr;
    QPushButton* m_privateLineButton = nullptr;
    // Empty for a peer whose key is not pinned.
    QString safetyNumberOf(int k) const;
    void createHeader();
    void createEditors();
    void showEntries();
    void refuse(const QString& text);
    // Shows the session's refusal of a change to the list, when there is one.
    bool refused(const QString& refusal);
    static QString rowText(const QString& ownName, const QString& address);

    platform::MessageBoxes& m_boxes;
    platform::Shell& m_shell;
    ChatSession& m_session;
    const SessionStore& m_store;
};
