#include "gui/widgets/MessageEdit.h"

#include <QKeyEvent>
#include <QLocale>
#include <QMimeData>
#include <QTextCursor>

#include <algorithm>

MessageEdit::MessageEdit(QWidget* parent) : QPlainTextEdit(parent) {}

QString MessageEdit::message() const
{
    return holdsPaste() ? m_held : toPlainText();
}

void MessageEdit::clearMessage()
{
    m_held = QString();
    setReadOnly(false);
    clear();
}

void MessageEdit::appendLineBreak()
{
    if (holdsPaste())
        return Hold(m_held + u'\n');
    QTextCursor cursor = textCursor();
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(QStringLiteral("\n"));
    setTextCursor(cursor);
}

void MessageEdit::insertFromMimeData(const QMimeData* source)
{
    if (!source->hasText())
        return QPlainTextEdit::insertFromMimeData(source);
    const QString pasted = source->text();
    if (holdsPaste())
        return Hold(m_held + pasted);
    if (pasted.size() + document()->characterCount() < HeldFrom)
        return QPlainTextEdit::insertFromMimeData(source);
    // What was typed stays around the paste, as a paste into the box would have put it.
    const QTextCursor cursor = textCursor();
    const QString typed = toPlainText();
    Hold(typed.left(cursor.selectionStart()) + pasted + typed.mid(cursor.selectionEnd()));
}

void MessageEdit::keyPressEvent(QKeyEvent* event)
{
    // A held paste is not edited in part: Backspace or Delete lets go of it, a paste adds to it.
    if (holdsPaste() && (event->key() == Qt::Key_Backspace || event->key() == Qt::Key_Delete))
        return clearMessage();
    QPlainTextEdit::keyPressEvent(event);
}

void MessageEdit::Hold(const QString& text)
{
    m_held = text;
    qsizetype shown = std::min(ShownOfHeld, text.size());
    if (shown < text.size() && text.at(shown - 1).isHighSurrogate())
        --shown; // never half a character
    setReadOnly(true);
    setPlainText(text.left(shown) + QStringLiteral(" …\n\n") +
                 tr("(%1 characters pasted, shown shortened: Enter sends the whole text; Backspace or Delete removes "
                    "it.)")
                     .arg(QLocale().toString(text.size())));
    moveCursor(QTextCursor::End);
}
