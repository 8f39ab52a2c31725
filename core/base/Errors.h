#pragma once

#include <QCoreApplication>
#include <QString>

#include <exception>
#include <functional>
#include <utility>

// An error the program detects itself. It carries the text the user is shown.
class ParleyError : public std::exception {
public:
    explicit ParleyError(QString text) : m_text(std::move(text)), m_what(m_text.toLocal8Bit()) {}
    const QString& text() const noexcept { return m_text; }
    const char* what() const noexcept override { return m_what.constData(); }

private:
    QString m_text;
    QByteArray m_what;
};

// The general error handler: the text gets a full stop when its last character sorts after ".".
QString WithFullStop(const QString& text);

using ErrorSink = std::function<void(const QString& text)>;
// Where reported errors go; the application shows them in its "Parley" box.
void SetErrorSink(ErrorSink sink);
void ReportError(const QString& text);

// Runs one entry from the event loop; an error is reported and the operation abandoned, never thrown into Qt.
template <class F> void Guard(F&& body) noexcept
{
    try {
        std::forward<F>(body)();
    } catch (const ParleyError& e) {
        ReportError(e.text());
    } catch (const std::exception& e) {
        ReportError(QString::fromLocal8Bit(e.what()));
    } catch (...) {
        ReportError(QCoreApplication::translate("Parley", "Unexpected error"));
    }
}

namespace detail {
template <class F, class C, class R, class... A> auto GuardedCall(F body, R (C::*)(A...) const)
{
    return [body = std::move(body)](A... args) { Guard([&] { body(std::forward<A>(args)...); }); };
}
} // namespace detail

// Wraps a slot so that whatever it throws ends in the general error handler. The wrapper takes exactly the
// arguments of the wrapped lambda, so Qt drops the signal's surplus arguments as usual.
template <class F> auto Guarded(F body)
{
    return detail::GuardedCall(std::move(body), &F::operator());
}

// The conversion error of the program's decimal conversion, for example of an address field.
[[noreturn]] void ThrowNotAnInteger(const QString& text);
// A whole decimal number in the signed 32-bit range, or the conversion error.
int StrToInt(const QString& text);
