#include "core/net/PortProbe.h"

#include <QElapsedTimer>

#include <algorithm>
#include <vector>

#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace net {

namespace {
struct Attempt {
    int fd = -1;
    qsizetype index = 0;
    qint64 deadline = 0;
    bool connected = false;
};

PortAnswer AnswerOf(int error)
{
    switch (error) {
    case 0:
        return PortAnswer::Answers;
    case ECONNREFUSED:
        return PortAnswer::Refused;
    case ETIMEDOUT:
        return PortAnswer::NoAnswer;
    case EHOSTUNREACH:
    case ENETUNREACH:
    case EHOSTDOWN:
        return PortAnswer::Unreachable;
    default:
        return PortAnswer::Failed;
    }
}

class Prober {
public:
    static constexpr int PollMs = 20;

    Prober(const QList<quint32>& addresses, quint16 port, const ProbeLimits& limits)
        : m_addresses(addresses), m_port(port), m_limits(limits)
    {
        m_results.resize(addresses.size());
        for (qsizetype i = 0; i < addresses.size(); ++i)
            m_results[i].address = addresses[i];
        m_clock.start();
    }

    bool done() const { return m_finished == m_addresses.size(); }
    int finished() const { return int(m_finished); }
    QList<ProbeResult> results() const { return m_results; }

    void startDue()
    {
        // Attempts are paced, one every 1/perSecond s. After a wait for a free slot they do not catch up in a burst:
        // no more than one poll's worth is owed, so no second ever holds more than perSecond new attempts.
        const double now = double(m_clock.elapsed());
        const double interval = 1000.0 / std::max(1, m_limits.perSecond);
        while (m_next < m_addresses.size() && qsizetype(m_attempts.size()) < m_limits.maxInFlight &&
               m_nextStartMs <= now) {
            m_nextStartMs = std::max(m_nextStartMs, now - PollMs) + interval;
            start(m_next++);
        }
    }

    void waitAndHandle()
    {
        std::vector<pollfd> polled;
        polled.reserve(m_attempts.size());
        for (const Attempt& attempt : m_attempts)
            polled.push_back(pollfd{attempt.fd, short(attempt.connected ? POLLIN : POLLOUT), 0});
        // Short waits: new attempts are due every few milliseconds, and a cancel must be seen soon.
        ::poll(polled.data(), nfds_t(polled.size()), PollMs);
        const qint64 now = m_clock.elapsed();
        for (size_t i = m_attempts.size(); i-- > 0;) {
            Attempt& attempt = m_attempts[i];
            const short events = polled[i].revents;
            if (!attempt.connected && events)
                connectedOrFailed(attempt, now);
            else if (attempt.connected && events)
                readFirstBytes(attempt);
            else if (now >= attempt.deadline)
                finish(attempt); // unanswered: the result stays NoAnswer, or Answers without first bytes
        }
        std::erase_if(m_attempts, [](const Attempt& attempt) { return attempt.fd < 0; });
    }

    void abandon()
    {
        for (Attempt& attempt : m_attempts)
            ::close(attempt.fd);
        m_attempts.clear();
    }

private:
    void start(qsizetype index)
    {
        const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        if (fd < 0) {
            m_results[index].answer = PortAnswer::Failed;
            m_results[index].error = errno;
            ++m_finished;
            return;
        }
        sockaddr_in peer = {};
        peer.sin_family = AF_INET;
        peer.sin_port = htons(m_port);
        peer.sin_addr.s_addr = htonl(m_addresses[index]);
        Attempt attempt{fd, index, m_clock.elapsed() + m_limits.timeoutMs, false};
        if (::connect(fd, reinterpret_cast<const sockaddr*>(&peer), sizeof peer) == 0 || errno == EINPROGRESS) {
            m_attempts.push_back(attempt);
            return;
        }
        m_results[index].answer = AnswerOf(errno);
        m_results[index].error = errno;
        ::close(fd);
        ++m_finished;
    }

    void connectedOrFailed(Attempt& attempt, qint64 now)
    {
        int error = 0;
        socklen_t length = sizeof error;
        ::getsockopt(attempt.fd, SOL_SOCKET, SO_ERROR, &error, &length);
        ProbeResult& result = m_results[attempt.index];
        result.answer = AnswerOf(error);
        result.error = error;
        if (error != 0 || m_limits.firstBytesWaitMs <= 0) {
            finish(attempt);
            return;
        }
        attempt.connected = true;
        attempt.deadline = now + m_limits.firstBytesWaitMs;
    }

    void readFirstBytes(Attempt& attempt)
    {
        char buffer[1024];
        const ssize_t got = ::recv(attempt.fd, buffer, sizeof buffer, 0);
        if (got > 0)
            m_results[attempt.index].firstBytes = QByteArray(buffer, qsizetype(got));
        finish(attempt);
    }

    void finish(Attempt& attempt)
    {
        ::close(attempt.fd);
        attempt.fd = -1;
        ++m_finished;
    }

    const QList<quint32>& m_addresses;
    quint16 m_port;
    ProbeLimits m_limits;
    QList<ProbeResult> m_results;
    std::vector<Attempt> m_attempts;
    qsizetype m_next = 0;
    qsizetype m_finished = 0;
    double m_nextStartMs = 0;
    QElapsedTimer m_clock;
};
} // namespace

QList<ProbeResult> ProbePort(const QList<quint32>& addresses, quint16 port, const ProbeLimits& limits,
                             const std::atomic_bool& cancelled, const std::function<void(int finished)>& progress)
{
    Prober prober(addresses, port, limits);
    int reported = -1;
    while (!prober.done() && !cancelled) {
        prober.startDue();
        prober.waitAndHandle();
        if (progress && prober.finished() != reported)
            progress(reported = prober.finished());
    }
    prober.abandon();
    return prober.results();
}

} // namespace net
