// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The real program on an X server of its own (Xvfb), with the simulated
// machine on COM1, driven the way a person drives it: keys through xdotool.
// Its user defines ZELVORIN_APP_PATH and ZELVORIN_MACHINE_PATH and links Qt Test.

#include "tests/Harness.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

class XSession
{
public:
    static constexpr int ToolTimeoutMs = 20000;

    static bool ToolsPresent()
    {
        return !QStandardPaths::findExecutable("Xvfb").isEmpty() && !QStandardPaths::findExecutable("xdotool").isEmpty()
               && !QStandardPaths::findExecutable("xprop").isEmpty();
    }

    ~XSession()
    {
        for (QProcess *process : {&m_app, &m_machine, &m_server})
            process->kill(), process->waitForFinished();
    }

    // Starts the X server and the machine (with `machineArguments`), then
    // the program, and gives its window the focus.
    bool Start(const QStringList &machineArguments)
    {
        for (QProcess *process : {&m_app, &m_machine, &m_server})
            DiesWithTest(*process);
        // Xvfb picks a free display and names it once it takes clients.
        // -noreset: else it starts over whenever its last client leaves, and
        // refuses the program for that moment.
        m_server.start("Xvfb", {"-displayfd", "1", "-screen", "0", "1024x768x24", "-nolisten", "tcp", "-noreset"});
        m_machine.start(ZELVORIN_MACHINE_PATH, QStringList{"--log", m_home.filePath("machine.log")} + machineArguments);
        if (!QTest::qWaitFor([&] { return m_server.canReadLine() && m_machine.canReadLine(); }, ToolTimeoutMs))
            return false;
        m_environment.insert("DISPLAY", ":" + m_server.readLine().trimmed());
        m_environment.insert("ZELVORIN_COM1", m_machine.readLine().trimmed());
        for (int number = 2; number <= 9; ++number) // never the machine's own serial devices
            m_environment.insert(QStringLiteral("ZELVORIN_COM%1").arg(number), QString());
        m_environment.insert("ZELVORIN_ARCHIVE", ArchivePath());
        for (const char *name : {"HOME", "XDG_RUNTIME_DIR", "XDG_CONFIG_HOME"}) // not the real ones
            m_environment.insert(name, m_home.path());
        m_environment.remove("QT_QPA_PLATFORM");
        m_app.setProcessEnvironment(m_environment);
        m_app.setProcessChannelMode(QProcess::ForwardedChannels);
        QElapsedTimer launch;
        launch.start();
        m_app.start(ZELVORIN_APP_PATH, {});
        // Asked again and again rather than with --sync, which looks only twice
        // a second; a search that hangs is given up soon, and asked again.
        QString window;
        const bool seen = QTest::qWaitFor(
                [&] {
                    // By the class desktops group its windows under.
                    window = QString::fromLatin1(Tool({"search", "--onlyvisible", "--class", "^Zelvorin$"}, 2000))
                                     .section('\n', 0, 0);
                    return !window.isEmpty() || m_app.state() == QProcess::NotRunning;
                },
                ToolTimeoutMs);
        m_startupMs = launch.elapsed();
        // xdotool matches in any case; the class is the program's name as written.
        return seen && Tool({"-id", window, "WM_CLASS"}, ToolTimeoutMs, "xprop").endsWith(", \"Zelvorin\"\n")
               && !Tool({"windowfocus", "--sync", window, "getwindowfocus"}).isEmpty();
    }

    // Keys for whatever has the focus.
    void Keys(const QStringList &keys) { Tool(QStringList{"key", "--delay", "50"} + keys); }
    // The display goes away, as when a remote session drops.
    void StopServer() { m_server.kill(), m_server.waitForFinished(); }

    QString ArchivePath() const { return m_home.filePath("Ausdrucke"); }
    QString MachineLog() const { return QString::fromUtf8(Contents(m_home.filePath("machine.log"))); }
    QProcess &App() { return m_app; }
    // From the program's launch until its window was seen.
    qint64 StartupMs() const { return m_startupMs; }

private:
    // Runs xdotool (or another X tool) to its end: its output, or nothing when it failed or overran.
    QByteArray Tool(const QStringList &arguments, int timeoutMs = ToolTimeoutMs, const QString &program = "xdotool")
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
    QProcessEnvironment m_environment = QProcessEnvironment::systemEnvironment();
    QProcess m_server;
    QProcess m_machine;
    QProcess m_app;
    qint64 m_startupMs = -1;
};
