#include "core/base/Errors.h"

#include <limits>

#include <QCoreApplication>

namespace {
ErrorSink& Sink()
{
    static ErrorSink sink;
    return sink;
}
} // namespace

QString WithFullStop(const QString& text)
{
    if (!text.isEmpty() && text.back() > QLatin1Char('.'))
        return text + QLatin1Char('.');
    return text;
}

void SetErrorSink(ErrorSink sink)
{
    Sink() = std::move(sink);
}

void ReportError(const QString& text)
{
    if (Sink())
        Sink()(WithFullStop(text));
}

void ThrowNotAnInteger(const QString& text)
{
    throw ParleyError(QCoreApplication::translate("Parley", "'%1' is not a valid integer value").arg(text));
}

int StrToInt(const QString& text)
{
    // The classic conversion accepts surrounding blanks, a sign and "$"/"0x" hexadecimal as well as decimal.
    const QString trimmed = text.trimmed();
    bool ok = false;
    qlonglong value = 0;
    QStringView digits(trimmed);
    bool negative = false;
    if (digits.startsWith(QLatin1Char('-')) || digits.startsWith(QLatin1Char('+'))) {
        negative = digits.front() == QLatin1Char('-');
        digits = digits.mid(1);
    }
    if (digits.startsWith(QLatin1Char('$')))
        value = digits.mid(1).toLongLong(&ok, 16);
    else if (digits.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
        value = digits.mid(2).toLongLong(&ok, 16);
    else if (!digits.isEmpty() && digits.front().isDigit())
        value = digits.toLongLong(&ok, 10);
    if (!ok)
        ThrowNotAnInteger(text);
    if (negative)
        value = -value;
    if (value < std::numeric_limits<int>::min() || value > std::numeric_limits<int>::max())
        ThrowNotAnInteger(text);
    return int(value);
}
