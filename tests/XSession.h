// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The real program on an X server of its own (Xvfb), with the simulated
// machine on COM1, driven the way a person drives it: keys through xdotool,
// the clipboard through xclip. Its user defines ZELVORIN_APP_PATH and
// ZELVORIN_MACHINE_PATH and links Qt Test.

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>

class XSession
{
public:
    static constexpr int ToolTimeoutMs = 20000;

    static bool ToolsPresent()
    {
        const QStringList tools = {"Xvfb", "xdotool", "xclip", "import"};
        return std::all_of(tools.begin(), tools.end(), [](const QString &tool) { return !QStandardPaths::findExecutable(tool).isEmpty(); });
    }

    ~XSession()
    {
        for (QProcess *process : {&m_app, &m_machine, &m_server}) {
            process->terminate();
            if (!process->waitForFinished(5000))
                process->kill(), process->waitForFinished(5000);
        }
    }

    // Starts the X server, the machine (with `machineArguments`) and the
    // program, and gives the program's window the focus.
    bool Start(const QStringList &machineArguments)
    {
        // Xvfb picks a free display and names it once it takes clients.
        // -noreset: else it starts over whenever its last client leaves, and
        // refuses the program for that moment.
        m_server.start("Xvfb", {"-displayfd", "1", "-screen", "0", "1024x768x24", "-nolisten", "tcp", "-noreset"});
        m_machine.start(ZELVORIN_MACHINE_PATH, QStringList{"--log", LogPath()} + machineArguments);
        if (!QTest::qWaitFor([&] { return m_server.canReadLine() && m_machine.canReadLine(); }, ToolTimeoutMs)) {
            qWarning("XSession: no X server or no machine");
            return false;
        }
        m_environment = QProcessEnvironment::systemEnvironment();
        m_environment.insert("DISPLAY", ":" + m_server.readLine().trimmed());
        m_environment.insert("ZELVORIN_COM1", m_machine.readLine().trimmed());
        for (int number = 2; number <= 9; ++number) // never the machine's own serial devices
            m_environment.insert(QStringLiteral("ZELVORIN_COM%1").arg(number), QString());
        m_environment.insert("ZELVORIN_ARCHIVE", ArchivePath());
        // The file dialog keeps its settings under the home folder: not the real one.
        for (const char *name : {"HOME", "XDG_RUNTIME_DIR", "XDG_CONFIG_HOME"})
            m_environment.insert(name, m_home.path());
        m_environment.remove("QT_QPA_PLATFORM");
        m_app.setProcessEnvironment(m_environment);
        m_app.setProcessChannelMode(QProcess::ForwardedChannels);
        QElapsedTimer launch;
        launch.start();
        m_app.start(ZELVORIN_APP_PATH, {});
        // Asked again and again rather than with --sync, which looks only twice a second.
        const bool shown = QTest::qWaitFor(
            [&] { // a search that hangs is given up soon, and asked again
                m_window = QString::fromLatin1(Tool("xdotool", {"search", "--onlyvisible", "--name", "^Zelvorin 1\\.00"}, 2000)).section('\n', 0, 0);
                return !m_window.isEmpty() || m_app.state() == QProcess::NotRunning;
            },
            ToolTimeoutMs);
        m_startupMs = launch.elapsed();
        if (!shown || m_window.isEmpty() || Tool("xdotool", {"windowfocus", "--sync", m_window, "getwindowfocus"}).isEmpty()) {
            qWarning("XSession: no window to focus after %lld ms", m_startupMs);
            return false;
        }
        return true;
    }

    // Keys for whatever has the focus.
    void Keys(const QStringList &keys) { Tool("xdotool", QStringList{"key", "--delay", "50"} + keys); }
    QByteArray Clipboard() { return Tool("xclip", {"-o", "-selection", "clipboard", "-t", "UTF8_STRING"}); }

    // Space on the focused button; true once the machine has our SYN and the
    // controls' column, which looks different while a reset runs, looks as
    // before, i.e. the reset is over.
    bool RunReset(int timeoutMs)
    {
        QDeadlineTimer deadline(timeoutMs);
        const auto remaining = [&] { return static_cast<int>(deadline.remainingTime()); };
        QImage idle; // the window may still be painting itself: taken when two looks agree
        if (!QTest::qWaitFor([&] { const QImage now = Controls(); return !now.isNull() && std::exchange(idle, now) == now; },
                             remaining()))
            return false;
        Keys({"space"});
        return QTest::qWaitFor([&] { return MachineLog().contains("received 16"); }, remaining())
            && QTest::qWaitFor([&] { return Controls() == idle; }, remaining());
    }

    QString ArchivePath() const { return m_home.filePath("Ausdrucke"); }
    QString MachineLog() const
    {
        QFile log(LogPath());
        return log.open(QIODevice::ReadOnly) ? QString::fromUtf8(log.readAll()) : QString();
    }
    QProcess &App() { return m_app; }
    // From the program's launch until its window was seen.
    qint64 StartupMs() const { return m_startupMs; }

private:
    QString LogPath() const { return m_home.filePath("machine.log"); }

    // Left of the list and down to the button, in the window's twips: the
    // button and the port field, not the status line below them.
    QImage Controls()
    {
        const QImage window = QImage::fromData(Tool("import", {"-window", m_window, "png:-"}), "PNG");
        return window.copy(0, 0, window.width() * 4080 / 8205, window.height() * 2600 / 7845);
    }

    // Runs an X tool to its end: its output, or nothing when it failed or overran.
    QByteArray Tool(const QString &program, const QStringList &arguments, int timeoutMs = ToolTimeoutMs)
    {
        QProcess tool;
        tool.setProcessEnvironment(m_environment);
        tool.start(program, arguments);
        if (tool.waitForFinished(timeoutMs) && tool.exitCode() == 0)
            return tool.readAllStandardOutput();
        tool.kill();
        tool.waitForFinished();
        return QByteArray();
    }

    QTemporaryDir m_home;
    QProcessEnvironment m_environment;
    QProcess m_server;
    QProcess m_machine;
    QProcess m_app;
    QString m_window;
    qint64 m_startupMs = -1;
};
