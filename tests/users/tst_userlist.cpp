#include "core/base/Errors.h"
#include "core/platform/ProfileFile.h"
#include "core/users/UserList.h"
#include "tests/support/ErrorText.h"

#include <QTest>

using platform::ProfileFile;

class TestUserList : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void loadFillsDefaults();
    void loadCountLimits_data();
    void loadCountLimits();
    void saveKeyOrder();
    void removeMovesEntriesDown();
    void indexOfAddress_data();
    void indexOfAddress();
    void indexFollowsChanges();
    void conversionErrors();
    void rangeErrors();
};

namespace {
QString Text(const char* s)
{
    return QString::fromLatin1(s);
}
} // namespace

void TestUserList::loadFillsDefaults()
{
    UserList list;
    list.LoadUserList(ProfileFile::fromBytes("[Users]\nCount=4\nUserA0=10.0.0.1\nUserN1=Bob\nUserE0=0\nUserE1=2\n"
                                             "UserE2=abc\nUserE3=\n"));
    QCOMPARE(list.Count(), 4);
    QCOMPARE(list.Address(0), Text("10.0.0.1"));
    QCOMPARE(list.OwnName(0), Text("Unknown"));
    QCOMPARE(list.Address(1), Text("0.0.0.0"));
    QCOMPARE(list.OwnName(1), Text("Bob"));
    QCOMPARE(list.Ticked(0), false);
    QCOMPARE(list.Ticked(1), true);
    QCOMPARE(list.Ticked(2), true);
    QCOMPARE(list.Ticked(3), true);
    QCOMPARE(list.AnnouncedName(3), Text("Unknown"));

    list.LoadUserList(ProfileFile::fromBytes("[Other]\nCount=3\n"));
    QCOMPARE(list.Count(), 0);
}

void TestUserList::loadCountLimits_data()
{
    QTest::addColumn<QByteArray>("count");
    QTest::addColumn<int>("loaded");
    QTest::newRow("99999") << QByteArray("99999") << 512;
    QTest::newRow("513") << QByteArray("513") << 512;
    QTest::newRow("512") << QByteArray("512") << 512;
    QTest::newRow("-5") << QByteArray("-5") << 0;
    QTest::newRow("junk") << QByteArray("many") << 0;
    QTest::newRow("hex") << QByteArray("$3") << 3;
}

void TestUserList::loadCountLimits()
{
    QFETCH(QByteArray, count);
    QFETCH(int, loaded);
    UserList list;
    list.LoadUserList(ProfileFile::fromBytes("[Users]\nCount=" + count + "\n"));
    QCOMPARE(list.Count(), loaded);
    if (loaded == MaxUsers)
        QVERIFY_THROWS_EXCEPTION(ParleyError, list.AppendUser(Text("1.1.1.1"), Text("one too many")));
}

void TestUserList::saveKeyOrder()
{
    UserList list;
    list.AppendUser(Text("1.1.1.1"), Text("A"));
    list.AppendUser(Text("2.2.2.2"), Text(" B "));
    list.AppendUser(Text("3.3.3.3"), Text("C"));
    list.SetTicked(1, false);
    ProfileFile file = ProfileFile::fromBytes("[Users]\nCount=9\nUserA8=9.9.9.9\n[SYSTEM]\nLeft=1\n");
    list.SaveUserList(file);
    QCOMPARE(file.sectionNames(), (QStringList{"SYSTEM", "Users"}));
    QCOMPARE(file.keyNames(Text("Users")), (QStringList{"Count", "UserA0", "UserE0", "UserN0", "UserA1", "UserE1",
                                                        "UserN1", "UserA2", "UserE2", "UserN2"}));
    QCOMPARE(file.readString(Text("Users"), Text("UserE1"), QString()), Text("0"));

    UserList reloaded;
    reloaded.LoadUserList(ProfileFile::fromBytes(file.toBytes()));
    QCOMPARE(reloaded.Count(), 3);
    QCOMPARE(reloaded.OwnName(1), Text("B")); // blanks do not survive the file
    QCOMPARE(reloaded.Ticked(1), false);

    reloaded.ClearUsers();
    reloaded.SaveUserList(file);
    QCOMPARE(file.keyNames(Text("Users")), QStringList{Text("Count")});
}

void TestUserList::removeMovesEntriesDown()
{
    UserList list;
    list.AppendUser(Text("1.1.1.1"), Text("A"));
    list.AppendUser(Text("2.2.2.2"), Text("B"));
    list.AppendUser(Text("3.3.3.3"), Text("C"));
    list.SetTicked(1, false);
    list.SetAnnouncedName(2, Text("Carol"));
    list.RemoveUser(0);
    QCOMPARE(list.Count(), 2);
    QCOMPARE(list.Address(0), Text("2.2.2.2"));
    QCOMPARE(list.Ticked(0), false);
    QCOMPARE(list.AnnouncedName(1), Text("Carol"));
    QCOMPARE(list.IndexOfAddress(Text("3.3.3.3")), 1);
    QCOMPARE(list.IndexOfAddress(Text("1.1.1.1")), -1);
    ProfileFile file;
    list.SaveUserList(file);
    QCOMPARE(file.readString(Text("Users"), Text("UserA1"), QString()), Text("3.3.3.3"));
    QVERIFY(!file.value(Text("Users"), Text("UserA2")));
}

void TestUserList::indexOfAddress_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<int>("index");
    QTest::newRow("exact") << "192.168.0.2" << 1;
    QTest::newRow("leading zeros") << "192.168.000.002" << 1;
    QTest::newRow("stored with zeros") << "10.0.0.1" << 0;
    QTest::newRow("highest index wins") << "7.7.7.7" << 3;
    QTest::newRow("missing") << "192.168.0.3" << -1;
}

void TestUserList::indexOfAddress()
{
    QFETCH(QString, address);
    QFETCH(int, index);
    UserList list;
    list.AppendUser(Text("010.000.000.001"), Text("zeros"));
    list.AppendUser(Text("192.168.0.2"), Text("plain"));
    list.AppendUser(Text("7.7.7.7"), Text("first"));
    list.AppendUser(Text("7.7.007.7"), Text("second"));
    QCOMPARE(list.IndexOfAddress(address), index);
}

void TestUserList::indexFollowsChanges()
{
    UserList list;
    QCOMPARE(list.IndexOfAddress(Text("not even an address")), -1); // an empty list looks at nothing
    list.AppendUser(Text("1.1.1.1"), Text("A"));
    list.AppendUser(Text("2.2.2.2"), Text("B"));
    list.UpdateUser(0, Text("2.2.2.2"), Text("A2"));
    QCOMPARE(list.IndexOfAddress(Text("2.2.2.2")), 1);
    list.RemoveUser(1);
    QCOMPARE(list.IndexOfAddress(Text("2.2.2.2")), 0);
    QCOMPARE(list.IndexOfAddress(Text("1.1.1.1")), -1);
    list.ClearUsers();
    QCOMPARE(list.IndexOfAddress(Text("2.2.2.2")), -1);
}

void TestUserList::conversionErrors()
{
    const auto errorOf = [](UserList& list, const QString& address) {
        return ErrorText([&] { list.IndexOfAddress(address); });
    };
    UserList list;
    list.LoadUserList(ProfileFile::fromBytes("[Users]\nCount=2\nUserA0=1.2.3.4\nUserA1=10.0.x.1\n"));
    QCOMPARE(errorOf(list, Text("1.2.3.4")), Text("'x' is not a valid integer value"));
    QCOMPARE(errorOf(list, Text("1.2.3")), Text("'' is not a valid integer value"));

    UserList badFirst;
    badFirst.LoadUserList(ProfileFile::fromBytes("[Users]\nCount=1\nUserA0=1.y.3.4\n"));
    // Fields are converted in pairs, the given address's first: field 1 of the address before field 2 of the entry.
    QCOMPARE(errorOf(badFirst, Text("q.2.3.4")), Text("'q' is not a valid integer value"));
    QCOMPARE(errorOf(badFirst, Text("1.2.z.4")), Text("'y' is not a valid integer value"));
}

void TestUserList::rangeErrors()
{
    UserList list;
    list.AppendUser(Text("1.1.1.1"), Text("A"));
    QVERIFY_THROWS_EXCEPTION(ParleyError, list.Address(1));
    QVERIFY_THROWS_EXCEPTION(ParleyError, list.SetTicked(-1, true));
    QVERIFY_THROWS_EXCEPTION(ParleyError, list.RemoveUser(1));
    QVERIFY_THROWS_EXCEPTION(ParleyError, list.UpdateUser(5, Text("2.2.2.2"), Text("B")));
    QCOMPARE(list.Count(), 1);
    QCOMPARE(list.Address(0), Text("1.1.1.1"));
}

QTEST_GUILESS_MAIN(TestUserList)
#include "tst_userlist.moc"
