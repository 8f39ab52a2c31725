#include "core/base/Errors.h"
#include "core/base/Gen_func.h"
#include "tests/support/Doubles.h"
#include "tests/support/ErrorText.h"

#include <QTest>

class TestGenFunc : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void extractField_data();
    void extractField();
    void countChar_data();
    void countChar();
    void upperCaseText();
    void windowsVersionCode_data();
    void windowsVersionCode();
    void fullStopRule_data();
    void fullStopRule();
    void strToInt_data();
    void strToInt();
};

void TestGenFunc::extractField_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("n");
    QTest::addColumn<QString>("field");
    QTest::newRow("last of four") << "192.168.0.2" << 4 << "2";
    QTest::newRow("first") << "192.168.0.2" << 1 << "192";
    QTest::newRow("past the end") << "192.168.0.2" << 5 << "";
    QTest::newRow("empty middle field") << "10..1.1" << 2 << "";
    QTest::newRow("field after empty one") << "10..1.1" << 3 << "1";
    QTest::newRow("trailing delimiter") << "1.2." << 3 << "";
    QTest::newRow("empty text has one field") << "" << 1 << "";
    QTest::newRow("no delimiter") << "abc" << 1 << "abc";
    QTest::newRow("no delimiter, second") << "abc" << 2 << "";
}

void TestGenFunc::extractField()
{
    QFETCH(QString, text);
    QFETCH(int, n);
    QFETCH(QString, field);
    QCOMPARE(ExtractField(text, QLatin1Char('.'), n), field);
}

void TestGenFunc::countChar_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("count");
    QTest::newRow("empty") << "" << -1;
    QTest::newRow("none") << "abc" << 0;
    QTest::newRow("three") << "1.2.3.4" << 3;
    QTest::newRow("only dots") << "..." << 3;
}

void TestGenFunc::countChar()
{
    QFETCH(QString, text);
    QFETCH(int, count);
    QCOMPARE(CountChar(text, QLatin1Char('.')), count);
}

void TestGenFunc::upperCaseText()
{
    QCOMPARE(UpperCaseText("/usr/Bin/parley-2\\x"), QByteArray("/USR/BIN/PARLEY-2\\X"));
    // Code page 1251: lower-case Cyrillic 0xE0..0xFF maps to 0xC0..0xDF; 0xB8 stays.
    QCOMPARE(UpperCaseText("\xE0\xFF\xB8\xC0"), QByteArray("\xC0\xDF\xB8\xC0"));
    const QByteArray a = "C:\\Program Files\\\xEF\xE0\xF0\\Parley.exe";
    const QByteArray b = "c:\\program files\\\xCF\xC0\xD0\\PARLEY.EXE";
    QCOMPARE(UpperCaseText(a), UpperCaseText(b));
    QCOMPARE(UpperCaseText(a).size(), a.size());
}

void TestGenFunc::windowsVersionCode_data()
{
    QTest::addColumn<int>("platformId");
    QTest::addColumn<int>("major");
    QTest::addColumn<int>("minor");
    QTest::addColumn<int>("code");
    QTest::newRow("NT 4") << 2 << 4 << 0 << 3;
    QTest::newRow("2000") << 2 << 5 << 0 << 10;
    QTest::newRow("XP") << 2 << 5 << 1 << 11;
    QTest::newRow("Server 2003") << 2 << 5 << 2 << 0;
    QTest::newRow("Vista") << 2 << 6 << 0 << 0;
    QTest::newRow("95") << 1 << 4 << 0 << 0;
    QTest::newRow("98") << 1 << 4 << 10 << 5;
    QTest::newRow("Me") << 1 << 4 << 90 << 7;
}

void TestGenFunc::windowsVersionCode()
{
    QFETCH(int, platformId);
    QFETCH(int, major);
    QFETCH(int, minor);
    QFETCH(int, code);
    FixedVersionQuery query;
    query.version = WindowsVersion{major, minor, 1000, platformId, QString()};
    QCOMPARE(WindowsVersionCode(query.query()), code);
}

void TestGenFunc::fullStopRule_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("shown");
    QTest::newRow("letter") << "Unable to write to /x/Parley.ini"
                            << "Unable to write to /x/Parley.ini.";
    QTest::newRow("digit") << "Error 5"
                           << "Error 5.";
    QTest::newRow("quote") << "'x' is not a valid integer value"
                           << "'x' is not a valid integer value.";
    QTest::newRow("full stop") << "Done."
                               << "Done.";
    QTest::newRow("exclamation") << "Cannot find incoming IP!"
                                 << "Cannot find incoming IP!";
    QTest::newRow("closing parenthesis") << "List index out of bounds (5)"
                                         << "List index out of bounds (5)";
    QTest::newRow("empty") << ""
                           << "";
}

void TestGenFunc::fullStopRule()
{
    QFETCH(QString, text);
    QFETCH(QString, shown);
    QCOMPARE(WithFullStop(text), shown);
}

void TestGenFunc::strToInt_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<int>("value");
    QTest::newRow("decimal") << "192" << true << 192;
    QTest::newRow("leading zeros") << "010" << true << 10;
    QTest::newRow("negative") << "-5" << true << -5;
    QTest::newRow("dollar hex") << "$20" << true << 32;
    QTest::newRow("0x hex") << "0x20" << true << 32;
    QTest::newRow("0X hex") << "0X1f" << true << 31;
    QTest::newRow("empty") << "" << false << 0;
    QTest::newRow("letters") << "abc" << false << 0;
    QTest::newRow("trailing junk") << "12a" << false << 0;
    QTest::newRow("too large") << "2147483648" << false << 0;
    QTest::newRow("smallest") << "-2147483648" << true << int(-2147483647 - 1);
}

void TestGenFunc::strToInt()
{
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QFETCH(int, value);
    if (valid)
        QCOMPARE(StrToInt(text), value);
    else
        QCOMPARE(ErrorText([&] { StrToInt(text); }), QStringLiteral("'%1' is not a valid integer value").arg(text));
}

QTEST_GUILESS_MAIN(TestGenFunc)
#include "tst_genfunc.moc"
