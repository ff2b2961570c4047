#pragma once

// A pseudo-terminal pair for tests: the program's side opens SlavePath() as
// its serial port, the test plays the machine on the master side.

#include "serial/PortDirectory.h"

#include <QByteArray>
#include <QDeadlineTimer>
#include <QString>

#include <cerrno>
#include <map>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

class Pty
{
public:
    Pty()
    {
        char name[256] = {};
        termios raw{};
        cfmakeraw(&raw);
        if (::openpty(&m_master, &m_slave, name, &raw, nullptr) != 0)
            return;
        ::fcntl(m_master, F_SETFL, ::fcntl(m_master, F_GETFL) | O_NONBLOCK);
        m_path = QString::fromLocal8Bit(name);
    }
    ~Pty()
    {
        CloseMaster();
        if (m_slave >= 0)
            ::close(m_slave);
    }
    Pty(const Pty &) = delete;
    Pty &operator=(const Pty &) = delete;

    bool IsValid() const { return !m_path.isEmpty(); }
    QString SlavePath() const { return m_path; }
    int Slave() const { return m_slave; }

    void Write(const QByteArray &bytes) { [[maybe_unused]] auto n = ::write(m_master, bytes.data(), bytes.size()); }

    // Everything the program sent, waiting up to `timeoutMs` for `count` bytes.
    QByteArray Read(qsizetype count, int timeoutMs = 5000)
    {
        QByteArray got;
        QDeadlineTimer deadline(timeoutMs);
        while (got.size() < count && !deadline.hasExpired()) {
            pollfd fd{m_master, POLLIN, 0};
            if (::poll(&fd, 1, static_cast<int>(deadline.remainingTime())) <= 0)
                continue;
            char buffer[4096];
            const ssize_t n = ::read(m_master, buffer, sizeof buffer);
            if (n > 0)
                got.append(buffer, n);
            else if (n < 0 && errno != EAGAIN && errno != EINTR)
                break;
        }
        return got;
    }

    void CloseMaster()
    {
        if (m_master >= 0)
            ::close(m_master);
        m_master = -1;
    }
    void CloseSlave()
    {
        if (m_slave >= 0)
            ::close(m_slave);
        m_slave = -1;
    }

private:
    int m_master = -1;
    int m_slave = -1;
    QString m_path;
};

// COM1 to COM9 as the given paths and nothing else: never the machine's own
// serial devices, whatever the system reports.
inline PortDirectory PtyDirectory(const std::map<int, QString> &paths)
{
    return PortDirectory::Assign({}, [&](const QString &name) -> std::optional<QString> {
        for (const auto &[number, path] : paths) {
            if (name == PortDirectory::EnvironmentName(number))
                return path;
        }
        return QString(); // every other slot stays free
    });
}
