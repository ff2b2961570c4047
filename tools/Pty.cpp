// SPDX-License-Identifier: GPL-3.0-or-later
#include "Pty.h"

#include <cerrno>
#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

namespace {

constexpr qsizetype ReadChunkBytes = 4096;

void CloseOnce(int &descriptor)
{
    if (descriptor >= 0)
        ::close(std::exchange(descriptor, -1));
}

} // namespace

Pty::Pty(bool raw)
{
    char name[256] = {};
    termios settings{};
    ::cfmakeraw(&settings);
    if (::openpty(&m_master, &m_slave, name, raw ? &settings : nullptr, nullptr) != 0) {
        m_master = m_slave = -1;
        return;
    }
    ::fcntl(m_master, F_SETFL, ::fcntl(m_master, F_GETFL) | O_NONBLOCK);
    ::fcntl(m_master, F_SETFD, FD_CLOEXEC);
    ::fcntl(m_slave, F_SETFD, FD_CLOEXEC);
    m_path = QByteArray(name);
}

Pty::~Pty()
{
    CloseMaster();
    CloseSlave();
}

void Pty::Write(const QByteArray &bytes)
{
    [[maybe_unused]] const ssize_t written = ::write(m_master, bytes.constData(), bytes.size());
}

QByteArray Pty::ReadAll()
{
    char buffer[ReadChunkBytes];
    QByteArray got;
    for (;;) {
        const ssize_t n = ::read(m_master, buffer, sizeof buffer);
        if (n > 0)
            got.append(buffer, n);
        else if (n == 0 || errno != EINTR)
            return got; // EAGAIN: all taken
    }
}

void Pty::CloseMaster()
{
    CloseOnce(m_master);
}

void Pty::CloseSlave()
{
    CloseOnce(m_slave);
}
