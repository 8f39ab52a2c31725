#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace platform {

// An INI file with the classic profile rules: section and key names match without regard to case, a value is
// read with surrounding blanks and one pair of enclosing quotes removed and at most 2047 characters of it taken,
// the first of duplicate sections or keys wins. Writing a key replaces its value where it stands or appends it at
// the end of its section; a missing section is appended at the end of the file. Lines the program does not touch
// are kept byte for byte; lines end in CR LF when written and may end in LF or CR LF when read.
//
// One object is one open of the file: load() reads it once, the writes change it in memory, save() replaces the
// file in one atomic step.
class ProfileFile {
public:
    static constexpr int MaxValueLength = 2047;

    static ProfileFile load(const QString& path);
    static ProfileFile fromBytes(const QByteArray& bytes, const QString& path = QString());

    const QString& path() const { return m_path; }
    QByteArray toBytes() const;
    // Throws "Unable to write to <path>" when the file cannot be replaced, or could not be read at load.
    void save() const;

    std::optional<QString> value(const QString& section, const QString& key) const;
    QString readString(const QString& section, const QString& key, const QString& fallback) const;
    // Decimal, or hexadecimal after "0x", "0X" or "$"; the fallback for a missing or non-numeric value.
    int readInteger(const QString& section, const QString& key, int fallback) const;
    bool readBool(const QString& section, const QString& key, bool fallback) const;
    // Every key of a section with its value, first occurrence winning; keys in lower case.
    QHash<QString, QString> sectionValues(const QString& section) const;
    QStringList sectionNames() const;
    QStringList keyNames(const QString& section) const;

    void writeString(const QString& section, const QString& key, const QString& value);
    void writeInteger(const QString& section, const QString& key, int value);
    void writeBool(const QString& section, const QString& key, bool value);
    void eraseSection(const QString& section);

private:
    struct Line {
        enum class Kind { Other, Header, Entry };
        QByteArray raw;
        Kind kind = Kind::Other;
        QString name;  // section or key name, trimmed
        QString value; // entry value, trimmed and unquoted, not yet cut to length
    };

    static Line parseLine(const QByteArray& raw);
    static Line entryLine(const QString& key, const QString& value);
    // The header line of the first section of that name, or -1.
    qsizetype findSection(const QString& section) const;
    // One past the last line of the section whose header is at index header.
    qsizetype sectionEnd(qsizetype header) const;
    qsizetype findKey(qsizetype header, const QString& key) const;

    QString m_path;
    QList<Line> m_lines;
    bool m_unreadable = false;
};

// Integer conversion with the profile rules; nullopt for a value that is not a number.
std::optional<int> ProfileInteger(const QString& text);

} // namespace platform
