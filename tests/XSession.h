// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The real program on an X server of its own (Xvfb), with the simulated
// machine on COM1, driven the way a person drives it: keys, the clipboard,
// and the window manager's close request. Its user defines ZELVORIN_APP_PATH
// and ZELVORIN_MACHINE_PATH and links Qt Test and xcb.

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <xcb/xcb.h>

class XSession
{
public:
    static constexpr int ToolTimeoutMs = 20000;
    static constexpr int SearchTimeoutMs = 2000;

    static bool ToolsPresent()
    {
        for (const char *tool : {"Xvfb", "xdotool", "xclip", "import"}) {
            if (QStandardPaths::findExecutable(QLatin1StringView(tool)).isEmpty())
                return false;
        }
        return true;
    }

    ~XSession()
    {
        for (QProcess *process : {&m_app, &m_machine, &m_server}) {
            if (process->state() == QProcess::NotRunning)
                continue;
            process->terminate();
            if (!process->waitForFinished(5000))
                process->kill();
            process->waitForFinished(5000);
        }
    }

    // Starts the X server, the machine (with `machineArguments`) and the program.
    bool Start(const QStringList &machineArguments)
    {
        if (!StartServer()) {
            qWarning("XSession: no X server came up");
            return false;
        }

        m_machine.start(QStringLiteral(ZELVORIN_MACHINE_PATH),
                        QStringList{"--log", LogPath()} + machineArguments);
        QString device;
        if (!ReadLine(m_machine, device)) {
            qWarning("XSession: the simulated machine did not start");
            return false;
        }

        QProcessEnvironment environment = Environment();
        environment.insert(QStringLiteral("ZELVORIN_COM1"), device);
        for (int number = 2; number <= 9; ++number) // never the machine's own serial devices
            environment.insert(QStringLiteral("ZELVORIN_COM%1").arg(number), QString());
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_home.path());
        environment.insert(QStringLiteral("ZELVORIN_ARCHIVE"), ArchivePath());
        environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
        m_app.setProcessEnvironment(environment);
        m_app.setProcessChannelMode(QProcess::ForwardedChannels);
        QElapsedTimer launch;
        launch.start();
        m_app.start(QStringLiteral(ZELVORIN_APP_PATH), {});

        // Asked again and again rather than with --sync, which looks only twice a second.
        QDeadlineTimer deadline(ToolTimeoutMs);
        while (m_window.isEmpty() && !deadline.hasExpired() && !m_app.waitForFinished(0)) {
            // A search that hangs is given up and asked again.
            const QByteArray found =
                Tool("xdotool", {"search", "--onlyvisible", "--name", "^Zelvorin 1\\.00"}, false, SearchTimeoutMs);
            m_window = QString::fromLatin1(found.split('\n').value(0).trimmed());
        }
        m_startupMs = launch.elapsed();
        if (m_window.isEmpty()) {
            qWarning("XSession: no window on %s after %lld ms (program %s)", qPrintable(m_display), m_startupMs,
                     m_app.state() == QProcess::Running ? "running" : "ended");
            return false;
        }
        if (Tool("xdotool", {"windowfocus", "--sync", m_window}).isNull()) {
            qWarning("XSession: could not focus window %s", qPrintable(m_window));
            return false;
        }
        return true;
    }

    // Whether a window whose title starts with `title` shows within the time.
    bool WaitForWindow(const QString &title, int timeoutMs)
    {
        return QTest::qWaitFor(
            [&] {
                return !Tool("xdotool", {"search", "--onlyvisible", "--name", "^" + title}, false, SearchTimeoutMs)
                            .trimmed()
                            .isEmpty();
            },
            timeoutMs);
    }

    // From the program's launch until its window was seen.
    qint64 StartupMs() const { return m_startupMs; }

    void Keys(const QStringList &keys) { Tool("xdotool", QStringList{"key", "--delay", "50"} + keys); }
    // Keys for the program's window, once it has the focus again (after a dialog, say).
    void KeysToWindow(const QStringList &keys)
    {
        Tool("xdotool", {"windowfocus", "--sync", m_window});
        Keys(keys);
    }
    void Type(const QString &text) { Tool("xdotool", {"type", "--delay", "20", text}); }

    QByteArray Clipboard() { return Tool("xclip", {"-o", "-selection", "clipboard", "-t", "UTF8_STRING"}); }

    QImage Grab() { return QImage::fromData(Tool("import", {"-window", m_window, "png:-"}), "PNG"); }

    // The controls' column left of the list: it looks different while a reset runs.
    QImage Controls()
    {
        const QImage window = Grab();
        return window.copy(0, 0, window.width() * ListLeftTwips / ClientWidthTwips, window.height());
    }

    // Space on the focused button; true once the machine has our SYN and the
    // controls look as they did before, i.e. the reset is over.
    bool RunReset(int timeoutMs)
    {
        QDeadlineTimer deadline(timeoutMs);
        const auto remaining = [&] { return static_cast<int>(deadline.remainingTime()); };
        // The window may still be painting itself: take it when two looks agree.
        QImage idle;
        const bool settled = QTest::qWaitFor(
            [&] {
                const QImage now = Controls();
                const bool same = !now.isNull() && now == idle;
                idle = now;
                return same;
            },
            remaining());
        if (!settled)
            return false;
        Keys({"space"});
        return QTest::qWaitFor([&] { return MachineLog().contains(QStringLiteral("received 16")); }, remaining())
            && QTest::qWaitFor([&] { return Controls() == idle; }, remaining());
    }

    // Where the program keeps its printouts.
    QString ArchivePath() const { return m_home.filePath(QStringLiteral("Ausdrucke")); }
    QString HomePath() const { return m_home.path(); }

    QString MachineLog() const
    {
        QFile log(LogPath());
        return log.open(QIODevice::ReadOnly) ? QString::fromUtf8(log.readAll()) : QString();
    }

    // What a window manager sends when the user clicks the close box.
    bool RequestClose()
    {
        xcb_connection_t *connection = xcb_connect(m_display.toLatin1().constData(), nullptr);
        if (xcb_connection_has_error(connection)) {
            xcb_disconnect(connection);
            return false;
        }
        const xcb_atom_t protocols = Atom(connection, "WM_PROTOCOLS");
        const xcb_atom_t deleteWindow = Atom(connection, "WM_DELETE_WINDOW");
        xcb_client_message_event_t event{};
        event.response_type = XCB_CLIENT_MESSAGE;
        event.format = 32;
        event.window = m_window.toUInt();
        event.type = protocols;
        event.data.data32[0] = deleteWindow;
        event.data.data32[1] = XCB_CURRENT_TIME;
        // Checked, so the server has taken the request before the connection
        // goes: a request merely flushed can be lost with a closing client.
        xcb_generic_error_t *error = xcb_request_check(
            connection, xcb_send_event_checked(connection, false, event.window, XCB_EVENT_MASK_NO_EVENT,
                                               reinterpret_cast<const char *>(&event)));
        const bool sent = error == nullptr;
        free(error);
        xcb_disconnect(connection);
        return sent;
    }

    QProcess &App() { return m_app; }
    qint64 AppPid() const { return m_app.processId(); }

private:
    static constexpr int ListLeftTwips = 4080;
    static constexpr int ClientWidthTwips = 8205;

    QProcessEnvironment Environment() const
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("DISPLAY"), m_display);
        return environment;
    }

    QString LogPath() const { return m_home.filePath(QStringLiteral("machine.log")); }

    // Runs an X tool to its end; null when it failed or overran.
    QByteArray Tool(const char *program, const QStringList &arguments, bool mustSucceed = true,
                    int timeoutMs = ToolTimeoutMs)
    {
        QProcess tool;
        tool.setProcessEnvironment(Environment());
        tool.start(QLatin1StringView(program), arguments);
        if (!tool.waitForFinished(timeoutMs) || (mustSucceed && tool.exitCode() != 0)) {
            tool.kill();
            tool.waitForFinished();
            return QByteArray();
        }
        QByteArray out = tool.readAllStandardOutput();
        return out.isNull() ? QByteArray("") : out;
    }

    // A display number of this process's own: a number that another test has
    // just given up may still lose its socket to that server's shutdown.
    bool StartServer()
    {
        constexpr int FirstDisplay = 100;
        constexpr int Displays = 800;
        constexpr int Attempts = 20;
        for (int attempt = 0; attempt < Attempts; ++attempt) {
            const qint64 number = FirstDisplay + (QCoreApplication::applicationPid() * 7 + attempt) % Displays;
            if (QFile::exists(QStringLiteral("/tmp/.X%1-lock").arg(number)))
                continue;
            const QString display = QStringLiteral(":%1").arg(number);
            // -noreset: else the server starts over when our test connection
            // below leaves, and refuses the program for that moment.
            m_server.start(QStringLiteral("Xvfb"),
                           {display, "-screen", "0", "1024x768x24", "-nolisten", "tcp", "-noreset"});
            QDeadlineTimer deadline(ToolTimeoutMs);
            while (!deadline.hasExpired() && m_server.state() != QProcess::NotRunning) {
                xcb_connection_t *connection = xcb_connect(display.toLatin1().constData(), nullptr);
                const bool ready = !xcb_connection_has_error(connection);
                xcb_disconnect(connection);
                if (ready) {
                    m_display = display;
                    return true;
                }
                m_server.waitForFinished(20); // back at once if it gave up on the number
            }
            m_server.kill();
            m_server.waitForFinished();
        }
        return false;
    }

    static bool ReadLine(QProcess &process, QString &line)
    {
        QDeadlineTimer deadline(ToolTimeoutMs);
        while (!process.canReadLine() && !deadline.hasExpired())
            process.waitForReadyRead(static_cast<int>(deadline.remainingTime()));
        line = QString::fromLocal8Bit(process.readLine()).trimmed();
        return !line.isEmpty();
    }

    static xcb_atom_t Atom(xcb_connection_t *connection, const char *name)
    {
        xcb_intern_atom_reply_t *reply =
            xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 0, strlen(name), name), nullptr);
        const xcb_atom_t atom = reply ? reply->atom : XCB_ATOM_NONE;
        free(reply);
        return atom;
    }

    QTemporaryDir m_home;
    QProcess m_server;
    QProcess m_machine;
    QProcess m_app;
    QString m_display;
    QString m_window;
    qint64 m_startupMs = -1;
};
