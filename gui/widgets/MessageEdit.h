#pragma once

#include <QPlainTextEdit>
#include <QString>

// The box a message is typed in. A long paste is held aside whole and the box shows its beginning with a note: laid
// out as one paragraph, a paste of a megabyte without spaces kept the window from answering for seconds. What is
// sent is always the whole text.
class MessageEdit : public QPlainTextEdit {
    Q_OBJECT
public:
    // From this many characters a paste is held aside rather than laid out; the box then shows this many of them.
    static constexpr qsizetype HeldFrom = 8 * 1024;
    static constexpr qsizetype ShownOfHeld = 2 * 1024;

    explicit MessageEdit(QWidget* parent = nullptr);

    // The whole message, a held paste included.
    QString message() const;
    bool holdsPaste() const { return !m_held.isNull(); }
    // Empties the box, and lets go of a held paste.
    void clearMessage();
    // A line break at the end, in the held text where there is one.
    void appendLineBreak();

protected:
    void insertFromMimeData(const QMimeData* source) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void Hold(const QString& text);

    QString m_held;
};
