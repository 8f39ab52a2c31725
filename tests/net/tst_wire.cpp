#include "core/net/Wire.h"

#include <QTest>

class TestWire : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void messages();
    void classification_data();
    void classification();
    void dottedDecimal_data();
    void dottedDecimal();
};

void TestWire::messages()
{
    QCOMPARE(net::ChatMessage(QStringLiteral("hi")), QByteArray("hi"));
    QCOMPARE(net::ChatMessage(QString()), QByteArray());
    QCOMPARE(net::ChatMessage(QStringLiteral("a\nb")), QByteArray("a\r\nb"));
    QCOMPARE(net::ChatMessage(QStringLiteral("a\r\nb")), QByteArray("a\r\nb"));
    QCOMPARE(net::NameAnnouncement(QStringLiteral("Bob")), QByteArray("\x1B"
                                                                      "Bob"));
    QCOMPARE(net::NameAnnouncement(QString()), QByteArray("\x1B"));
    QCOMPARE(net::ChatMessage(QStringLiteral("Ä")), QByteArray("\xC3\x84"));
}

void TestWire::classification_data()
{
    QTest::addColumn<QByteArray>("received");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("shown");
    using K = net::MessageKind;
    QTest::newRow("empty") << QByteArray() << int(K::Empty) << "";
    QTest::newRow("name") << QByteArray("\x1B"
                                        "Bob")
                          << int(K::NameAnnouncement) << "Bob";
    QTest::newRow("empty name") << QByteArray("\x1B") << int(K::NameAnnouncement) << "";
    QTest::newRow("name then chat merged") << QByteArray("\x1B"
                                                         "Bobhi")
                                           << int(K::NameAnnouncement) << "Bobhi";
    QTest::newRow("name with line break") << QByteArray("\x1B"
                                                        "a: b\r\nc")
                                          << int(K::NameAnnouncement) << "a: b\r\nc";
    // A peer's name stands before each of its lines: a megabyte of it is cut to what a name can be.
    QTest::newRow("name of a megabyte") << "\x1B" + QByteArray(1 << 20, 'n') << int(K::NameAnnouncement)
                                        << QString(net::MaxAnnouncedNameLength, QLatin1Char('n'));
    QTest::newRow("chat") << QByteArray("hi") << int(K::ChatMessage) << "hi";
    QTest::newRow("chat lines") << QByteArray("a\r\nb") << int(K::ChatMessage) << "a\nb";
    QTest::newRow("NUL inside") << QByteArray("a\0b", 3) << int(K::ChatMessage) << QString::fromLatin1("a\0b", 3);
    // Kept as they came, to be written back unchanged.
    QTest::newRow("invalid UTF-8") << QByteArray("\xFF\xFE") << int(K::ChatMessage)
                                   << QString::fromUtf16(u"\xDCFF\xDCFE");
}

void TestWire::classification()
{
    QFETCH(QByteArray, received);
    QFETCH(int, kind);
    QFETCH(QString, shown);
    QCOMPARE(int(net::Classify(received)), kind);
    if (kind == int(net::MessageKind::NameAnnouncement))
        QCOMPARE(net::AnnouncedName(received), shown);
    else if (kind == int(net::MessageKind::ChatMessage))
        QCOMPARE(net::ChatText(received), shown);
}

void TestWire::dottedDecimal_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<qint64>("value");
    QTest::newRow("plain") << "192.168.0.2" << qint64(0xC0A80002);
    QTest::newRow("leading zeros are decimal") << "010.000.000.001" << qint64(0x0A000001);
    QTest::newRow("too few parts") << "10.1.1" << qint64(-1);
    QTest::newRow("too many parts") << "1.2.3.4.5" << qint64(-1);
    QTest::newRow("above 255") << "10.1.1.300" << qint64(-1);
    QTest::newRow("empty part") << "1..2.3" << qint64(-1);
    QTest::newRow("sign") << "-1.2.3.4" << qint64(-1);
    QTest::newRow("host name") << "localhost" << qint64(-1);
}

void TestWire::dottedDecimal()
{
    QFETCH(QString, text);
    QFETCH(qint64, value);
    const std::optional<quint32> parsed = net::ParseDottedDecimal(text);
    QCOMPARE(parsed ? qint64(*parsed) : qint64(-1), value);
}

QTEST_GUILESS_MAIN(TestWire)
#include "tst_wire.moc"
