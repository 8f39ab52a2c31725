#include "gui/widgets/ChatView.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QScrollBar>
#include <QTest>

class TestChatView : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup()
    {
        m_view.reset();
        m_record.reset();
    }
    void followsTheEndAndScrolls();
    void longLineWrapsAndScrollsByRows();
    void selectsAndCopies();
    void readByScreenReaders();
    void notesStayWithTheirLines();

private:
    void add(const QString& text) { m_record->add({ChatEntry::Kind::Own, text}); }
    void setText(const QString& text)
    {
        m_record->clear();
        add(text);
    }

    std::unique_ptr<ChatRecord> m_record;
    std::unique_ptr<ChatView> m_view;
};

void TestChatView::init()
{
    m_record = std::make_unique<ChatRecord>();
    m_view = std::make_unique<ChatView>(*m_record);
    m_view->resize(300, 200);
    m_view->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_view.get()));
}

void TestChatView::followsTheEndAndScrolls()
{
    for (int i = 0; i < 1000; ++i)
        add(QStringLiteral("Ann: line %1").arg(i));
    QScrollBar* bar = m_view->verticalScrollBar();
    QTRY_VERIFY(bar->maximum() > 900);
    QCOMPARE(bar->value(), bar->maximum());
    // Up moves away from the end; a page moves further; Ctrl+End comes back, and a new line keeps it there.
    QTest::keyClick(m_view.get(), Qt::Key_Up);
    const int afterUp = bar->value();
    QVERIFY(afterUp < bar->maximum());
    QTest::keyClick(m_view.get(), Qt::Key_PageUp);
    QVERIFY(bar->value() < afterUp);
    QTest::keyClick(m_view.get(), Qt::Key_Home, Qt::ControlModifier);
    QCOMPARE(bar->value(), 0);
    QTest::keyClick(m_view.get(), Qt::Key_End, Qt::ControlModifier);
    QCOMPARE(bar->value(), bar->maximum());
    add(QStringLiteral("Bob: newest"));
    QTRY_COMPARE(bar->value(), bar->maximum());
    QCOMPARE(m_view->lineText(m_view->lineCount() - 1), QStringLiteral("Bob: newest"));
    // Lines that come while the view is hidden are at the end when it shows again.
    m_view->hide();
    for (int i = 0; i < 500; ++i)
        add(QStringLiteral("Cid: hidden %1").arg(i));
    m_view->show();
    QTRY_VERIFY(bar->maximum() > 1400);
    QCOMPARE(bar->value(), bar->maximum());
    // Cleared, nothing is left to scroll.
    m_record->clear();
    QTRY_COMPARE(bar->maximum(), 0);
    QCOMPARE(m_view->toPlainText(), QString());
}

void TestChatView::longLineWrapsAndScrollsByRows()
{
    // A line of 100,000 characters without a space: all of it can be reached a row at a time from its start.
    const QString line = QString(100000, QLatin1Char('x'));
    add(QStringLiteral("first"));
    add(line);
    add(QStringLiteral("last"));
    QTest::keyClick(m_view.get(), Qt::Key_Home, Qt::ControlModifier);
    QScrollBar* bar = m_view->verticalScrollBar();
    int rows = 0;
    while (bar->value() < bar->maximum() && rows < 100000) {
        QTest::keyClick(m_view.get(), Qt::Key_Down);
        ++rows;
    }
    // Each row holds at most the width in characters: the line took thousands of rows, not one.
    QVERIFY2(rows > line.size() / m_view->viewport()->width(), qPrintable(QString::number(rows)));
    QCOMPARE(m_view->lineText(1), line);
}

void TestChatView::selectsAndCopies()
{
    setText(QStringLiteral("hello\nworld"));
    QTest::keyClick(m_view.get(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(m_view.get(), Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("hello\nworld"));
    // A drag from the start of the first row to the far right of the second selects both lines.
    QWidget* viewport = m_view->viewport();
    const int row = m_view->fontMetrics().lineSpacing();
    QTest::mousePress(viewport, Qt::LeftButton, {}, QPoint(1, 1));
    QMouseEvent move(QEvent::MouseMove, QPointF(viewport->width() - 2, 4 + row + row / 2),
                     viewport->mapToGlobal(QPointF(viewport->width() - 2, 4 + row + row / 2)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &move);
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, QPoint(viewport->width() - 2, 4 + row + row / 2));
    QCOMPARE(m_view->selectedText(), QStringLiteral("hello\nworld"));
    QTest::mousePress(viewport, Qt::LeftButton, {}, QPoint(1, 1));
    QCOMPARE(m_view->selectedText(), QString());
}

void TestChatView::readByScreenReaders()
{
    m_view->setAccessibleName(QStringLiteral("Chat"));
    setText(QStringLiteral("Ann: hi\nBob: hello"));
    QAccessibleInterface* chat = QAccessible::queryAccessibleInterface(m_view.get());
    QVERIFY(chat);
    QCOMPARE(chat->role(), QAccessible::EditableText);
    QCOMPARE(chat->text(QAccessible::Name), QStringLiteral("Chat"));
    QVERIFY(chat->state().readOnly);
    QAccessibleTextInterface* text = chat->textInterface();
    QVERIFY(text);
    QCOMPARE(text->characterCount(), 18);
    QCOMPARE(text->text(0, text->characterCount()), QStringLiteral("Ann: hi\nBob: hello"));
    QCOMPARE(text->text(8, 11), QStringLiteral("Bob"));
    // A line kept in several pieces reads as one, across the pieces' edges too.
    const QString longLine = QString(3000, QChar(0x00E9)) + QString(3000, QLatin1Char('b'));
    add(longLine);
    QCOMPARE(text->characterCount(), 18 + 1 + 6000);
    QCOMPARE(text->text(0, -1), QStringLiteral("Ann: hi\nBob: hello\n") + longLine);
    QCOMPARE(text->text(19 + 2040, 19 + 2056), QString(16, QChar(0x00E9))); // two bytes each: a piece ends at 2048
    QCOMPARE(text->text(19 + 2990, 19 + 3010), QString(10, QChar(0x00E9)) + QString(10, QLatin1Char('b')));

    // Far into a long history, with earlier history put in front: counted and read from the pieces there, in
    // every script, with characters of two UTF-16 units and bytes that do not decode.
    ChatLog earlier;
    QByteArray earlierBytes;
    for (int i = 0; i < 300; ++i)
        earlierBytes += QString("Ольга: строка %1 Grüße \U0001F600\r\n").arg(i).toUtf8() + (i % 7 ? "" : "\xFF x\r\n");
    earlier.appendFile(earlierBytes);
    m_record->prepend(std::move(earlier));
    for (int i = 0; i < 100; ++i)
        add(QString("Bob: line %1 straße").arg(i));
    const QString all = m_view->toPlainText();
    QCOMPARE(text->characterCount(), all.size());
    for (const int at : {0, 5, 1000, 7777, int(all.size()) - 30}) {
        QCOMPARE(text->text(at, at + 25), all.mid(at, 25));
        int start = -1;
        int end = -1;
        const QString line = text->textAtOffset(at, QAccessible::LineBoundary, &start, &end);
        QCOMPARE(line, all.mid(start, end - start));
        QVERIFY(start <= at && at < end);
        QVERIFY(start == 0 || all.at(start - 1) == QLatin1Char('\n'));
        QVERIFY(line.endsWith(QLatin1Char('\n')) || end == all.size());
        const QString word = text->textAfterOffset(at, QAccessible::WordBoundary, &start, &end);
        QCOMPARE(word, all.mid(start, end - start));
        QVERIFY(start > at);
    }
}

// A note is drawn after its line and is never text: it moves with its line when history goes in above, and goes
// with "Clear".
void TestChatView::notesStayWithTheirLines()
{
    m_record->addNote(QStringLiteral("nothing to note on"));
    QCOMPARE(m_view->noteAfter(0), QString());
    add(QStringLiteral("Al: one\nAl: two"));
    const qint64 typed = m_record->lastEntry();
    // Its time is beside its first row only.
    QVERIFY(m_record->timeAt(0) > 0);
    QCOMPARE(m_record->timeAt(1), 0);
    add(QStringLiteral("Bo: later"));
    // A note that comes once other lines came goes under the line it concerns.
    m_record->addNote(typed, QStringLiteral("not delivered to: Bob"));
    QCOMPARE(m_view->noteAfter(1), QStringLiteral("not delivered to: Bob"));
    QCOMPARE(m_view->noteAfter(2), QString());
    QCOMPARE(m_view->accessibleDescription(), QStringLiteral("not delivered to: Bob"));
    // A second reason on the same line is kept beside the first, each starting a row of its own.
    const QString both = QStringLiteral("not delivered to: Bob\nnicht zugestellt an: Борис (Schlüssel geändert)");
    m_record->addNote(typed, both.section(QLatin1Char('\n'), 1));
    QCOMPARE(m_view->noteAfter(1), both);
    QCOMPARE(m_view->accessibleDescription(), both);
    // Each line shown is an item for a screen reader: its time and text, its notes whole.
    QAccessibleInterface* chat = QAccessible::queryAccessibleInterface(m_view.get());
    QStringList items;
    for (int i = 0; i < chat->childCount(); ++i)
        if (QAccessibleInterface* item = chat->child(i); item->role() == QAccessible::ListItem)
            items.append(item->text(QAccessible::Name) + QLatin1Char('|') + item->text(QAccessible::Description));
    QCOMPARE(items, (QStringList{LineTime(m_record->timeAt(0)) + QStringLiteral(" Al: one|"),
                                 QStringLiteral("Al: two|") + both,
                                 LineTime(m_record->timeAt(2)) + QStringLiteral(" Bo: later|")}));
    QCOMPARE(NoteLines(m_view->font(), 2000, both), both.split(QLatin1Char('\n')));
    QCOMPARE(m_view->toPlainText(), QStringLiteral("Al: one\nAl: two\nBo: later"));
    // The note takes a row: the end of the text is shown one row further down.
    for (int i = 0; i < 100; ++i)
        add(QStringLiteral("Ann: line %1").arg(i));
    QScrollBar* bar = m_view->verticalScrollBar();
    QTRY_VERIFY(bar->maximum() > 0);
    const int withNote = bar->maximum();
    m_record->addNote(QStringLiteral("not delivered to: Carl"));
    QTRY_COMPARE(bar->maximum(), withNote + 1);
    // One wider than the area wraps onto rows of its own, whole: every word of it on some row, none past the edge.
    const QString whole = QStringLiteral("nicht zugestellt an: Борис (die private Leitung ist unterbrochen, und an "
                                         "eine Kopie mit hinterlegtem Schlüssel geht nie etwas unverschlüsselt), "
                                         "Ärzte_ohne_Grenzen_Straßenverzeichnis_Überweisungsträger");
    const QStringList lines = NoteLines(m_view->font(), 200, whole);
    QVERIFY(lines.size() > 2);
    QCOMPARE(lines.join(QString()).remove(QLatin1Char(' ')), QString(whole).remove(QLatin1Char(' ')));
    m_record->addNote(whole);
    QTRY_VERIFY(bar->maximum() > withNote + 1);
    QCOMPARE(m_view->accessibleDescription(), QStringLiteral("not delivered to: Carl\n") + whole);
    ChatLog earlier;
    earlier.appendText("Old: a\nOld: b\nOld: c");
    m_record->prepend(std::move(earlier));
    QCOMPARE(m_view->noteAfter(1), QString());
    QCOMPARE(m_view->noteAfter(4), both);
    QCOMPARE(m_record->timeAt(0), 0); // the history's times are not known
    QVERIFY(m_record->timeAt(3) > 0);
    m_record->addNote(typed, QStringLiteral("not delivered to: Dora"));
    QCOMPARE(m_view->noteAfter(4), both + QStringLiteral("\nnot delivered to: Dora"));
    for (int i = 0; i < ChatNotes::MaxNotes + 1; ++i) {
        add(QStringLiteral("Al: again"));
        m_record->addNote(QStringLiteral("not delivered to: Bob"));
    }
    QCOMPARE(m_view->noteAfter(4), QString()); // the oldest went
    m_record->clear();
    add(QStringLiteral("Al: fresh"));
    QCOMPARE(m_view->noteAfter(0), QString());
    // A late note for a line that went with "Clear" goes under the last line, not nowhere.
    m_record->addNote(typed, QStringLiteral("not delivered to: Bob"));
    QCOMPARE(m_view->noteAfter(0), QStringLiteral("not delivered to: Bob"));
}

QTEST_MAIN(TestChatView)
#include "tst_chatview.moc"
