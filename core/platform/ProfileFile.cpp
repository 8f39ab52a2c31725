#include "core/platform/ProfileFile.h"

#include "core/base/Errors.h"
#include "core/platform/SaveFile.h"
#include "core/platform/TextCodec.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

namespace platform {

namespace {
bool IsBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

QString TrimBlanks(QStringView text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && IsBlank(text[begin]))
        ++begin;
    while (end > begin && IsBlank(text[end - 1]))
        --end;
    return text.mid(begin, end - begin).toString();
}

QString Unquote(const QString& value)
{
    if (value.size() >= 2 && value.front() == value.back() &&
        (value.front() == QLatin1Char('"') || value.front() == QLatin1Char('\'')))
        return value.mid(1, value.size() - 2);
    return value;
}

bool SameName(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// A value never breaks the file's line structure.
QString OneLine(QString value)
{
    value.replace(QLatin1Char('\r'), QLatin1Char(' '));
    value.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return value;
}
} // namespace

std::optional<int> ProfileInteger(const QString& text)
{
    if (text.trimmed().isEmpty())
        return std::nullopt;
    try {
        return StrToInt(text);
    } catch (const ParleyError&) {
        return std::nullopt;
    }
}

ProfileFile ProfileFile::load(const QString& path)
{
    QFile file(path);
    if (!file.exists())
        return fromBytes(QByteArray(), path);
    if (QFileInfo(path).isDir() || !file.open(QIODevice::ReadOnly)) {
        ProfileFile unreadable = fromBytes(QByteArray(), path);
        unreadable.m_unreadable = true;
        return unreadable;
    }
    return fromBytes(file.readAll(), path);
}

ProfileFile ProfileFile::fromBytes(const QByteArray& bytes, const QString& path)
{
    ProfileFile profile;
    profile.m_path = path;
    QList<QByteArray> raws = bytes.split('\n');
    if (!raws.isEmpty() && raws.back().isEmpty())
        raws.removeLast();
    profile.m_lines.reserve(raws.size());
    for (QByteArray& raw : raws) {
        if (raw.endsWith('\r'))
            raw.chop(1);
        profile.m_lines.append(parseLine(raw));
    }
    return profile;
}

ProfileFile::Line ProfileFile::parseLine(const QByteArray& raw)
{
    Line line;
    line.raw = raw;
    const QString text = FromSystemText(raw);
    const QString trimmed = TrimBlanks(text);
    if (trimmed.startsWith(QLatin1Char('['))) {
        const qsizetype close = trimmed.indexOf(QLatin1Char(']'));
        line.kind = Line::Kind::Header;
        line.name = TrimBlanks(QStringView(trimmed).mid(1, close < 0 ? -1 : close - 1));
        return line;
    }
    const qsizetype equals = trimmed.indexOf(QLatin1Char('='));
    if (equals <= 0)
        return line;
    line.name = TrimBlanks(QStringView(trimmed).left(equals));
    if (line.name.isEmpty())
        return line;
    line.kind = Line::Kind::Entry;
    line.value = Unquote(TrimBlanks(QStringView(trimmed).mid(equals + 1)));
    return line;
}

ProfileFile::Line ProfileFile::entryLine(const QString& key, const QString& value)
{
    return parseLine(ToSystemText(key + QLatin1Char('=') + OneLine(value)));
}

QByteArray ProfileFile::toBytes() const
{
    QByteArray bytes;
    for (const Line& line : m_lines) {
        bytes += line.raw;
        bytes += "\r\n";
    }
    return bytes;
}

void ProfileFile::save() const
{
    // A file that exists but could not be read is never replaced by what little we know of it.
    if (m_unreadable || !SaveFileAtomically(m_path, toBytes()).isEmpty())
        throw ParleyError(QCoreApplication::translate("Parley", "Unable to write to %1").arg(m_path));
}

qsizetype ProfileFile::findSection(const QString& section) const
{
    for (qsizetype i = 0; i < m_lines.size(); ++i) {
        if (m_lines[i].kind == Line::Kind::Header && SameName(m_lines[i].name, section))
            return i;
    }
    return -1;
}

qsizetype ProfileFile::sectionEnd(qsizetype header) const
{
    qsizetype i = header + 1;
    while (i < m_lines.size() && m_lines[i].kind != Line::Kind::Header)
        ++i;
    return i;
}

qsizetype ProfileFile::findKey(qsizetype header, const QString& key) const
{
    const qsizetype end = sectionEnd(header);
    for (qsizetype i = header + 1; i < end; ++i) {
        if (m_lines[i].kind == Line::Kind::Entry && SameName(m_lines[i].name, key))
            return i;
    }
    return -1;
}

std::optional<QString> ProfileFile::value(const QString& section, const QString& key) const
{
    const qsizetype header = findSection(section);
    if (header < 0)
        return std::nullopt;
    const qsizetype at = findKey(header, key);
    if (at < 0)
        return std::nullopt;
    return m_lines[at].value.left(MaxValueLength);
}

QString ProfileFile::readString(const QString& section, const QString& key, const QString& fallback) const
{
    return value(section, key).value_or(fallback);
}

int ProfileFile::readInteger(const QString& section, const QString& key, int fallback) const
{
    const std::optional<QString> text = value(section, key);
    if (!text)
        return fallback;
    return ProfileInteger(*text).value_or(fallback);
}

bool ProfileFile::readBool(const QString& section, const QString& key, bool fallback) const
{
    return readInteger(section, key, fallback ? 1 : 0) != 0;
}

QHash<QString, QString> ProfileFile::sectionValues(const QString& section) const
{
    QHash<QString, QString> values;
    const qsizetype header = findSection(section);
    if (header < 0)
        return values;
    const qsizetype end = sectionEnd(header);
    for (qsizetype i = header + 1; i < end; ++i) {
        const Line& line = m_lines[i];
        if (line.kind != Line::Kind::Entry)
            continue;
        const QString key = line.name.toLower();
        if (!values.contains(key))
            values.insert(key, line.value.left(MaxValueLength));
    }
    return values;
}

QStringList ProfileFile::sectionNames() const
{
    QStringList names;
    for (const Line& line : m_lines) {
        if (line.kind == Line::Kind::Header)
            names.append(line.name);
    }
    return names;
}

QStringList ProfileFile::keyNames(const QString& section) const
{
    QStringList names;
    const qsizetype header = findSection(section);
    if (header < 0)
        return names;
    const qsizetype end = sectionEnd(header);
    for (qsizetype i = header + 1; i < end; ++i) {
        if (m_lines[i].kind == Line::Kind::Entry)
            names.append(m_lines[i].name);
    }
    return names;
}

void ProfileFile::writeString(const QString& section, const QString& key, const QString& value)
{
    const qsizetype header = findSection(section);
    if (header < 0) {
        m_lines.append(parseLine(ToSystemText(QLatin1Char('[') + section + QLatin1Char(']'))));
        m_lines.append(entryLine(key, value));
        return;
    }
    const qsizetype at = findKey(header, key);
    if (at >= 0) {
        m_lines[at] = entryLine(m_lines[at].name, value);
        return;
    }
    // After the section's last line that holds anything, so blank lines before the next section stay there.
    qsizetype insertAt = sectionEnd(header);
    while (insertAt > header + 1 && m_lines[insertAt - 1].raw.trimmed().isEmpty())
        --insertAt;
    m_lines.insert(insertAt, entryLine(key, value));
}

void ProfileFile::writeInteger(const QString& section, const QString& key, int value)
{
    writeString(section, key, QString::number(value));
}

void ProfileFile::writeBool(const QString& section, const QString& key, bool value)
{
    writeString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

void ProfileFile::eraseSection(const QString& section)
{
    // Every copy of the section goes, so that a stale duplicate cannot shadow the one written next.
    for (qsizetype header = findSection(section); header >= 0; header = findSection(section))
        m_lines.remove(header, sectionEnd(header) - header);
}

} // namespace platform
