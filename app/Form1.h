// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/Application.h"
#include "app/ListModel.h"
#include "archive/ArchiveKeeper.h"
#include "archive/PrintoutArchive.h"
#include "printout/PrintoutDocument.h"
#include "reset/ResetHost.h"
#include "reset/ResetListener.h"
#include "reset/ResetProgress.h"
#include "reset/ResetRecord.h"
#include "reset/SynOnExit.h"
#include "serial/DeviceSerialPort.h"
#include "serial/PortScan.h"

#include <QTimer>
#include <QWidget>

#include <optional>

class ArchiveView;
class PrintoutActions;
class QAction;
class QComboBox;
class QLabel;
class QListView;
class QMenu;
class QPushButton;

// The program's one window: instructions, the port selector, the button that
// starts a reset, and the list that shows progress and the printout.
class Form1 final : public QWidget, public ResetHost, private PortSelector, private ResetListener
{
    Q_OBJECT

public:
    // The window's design-time geometry is in twips; 15 make one pixel.
    static constexpr int TwipsPerPixel = 15;
    static constexpr int ClientWidthTwips = 8205;
    static constexpr int ClientHeightTwips = 7845;
    static constexpr double MaxLayoutScale = 3.0;
    // Room kept for the window manager's frame before it is known.
    static constexpr QSize FrameAllowance{8, 40};
    // The list never gets shorter than this many lines.
    static constexpr int ListLeastRows = 4;
    // Closing waits this long at most for the archive to take the latest printout.
    static constexpr std::chrono::milliseconds ClosingArchiveWait{2000};
    // The progress of a reset is shown anew this often while the printout comes.
    static constexpr int ProgressRefreshMs = 250;

    explicit Form1(PortDirectory directory, PrintoutArchive archive = PrintoutArchive(), QWidget *parent = nullptr);
    ~Form1() override;

    // How much the design geometry was enlarged, across and down, so that
    // every label's text fits and the window fits its screen.
    QSizeF LayoutScale() const { return m_scale; }
    const ListEntries &Entries() const { return m_list.Entries(); }
    QMenu *ListMenu() const { return m_listMenu; }
    ArchiveView *ArchiveWindow() const { return m_archiveView.get(); }
    QString StatusText() const;
    // Whoever listens to the window's resets; more may join.
    ResetListeners &Listeners() { return m_listeners; }

    // ResetHost
    MainWindowState &State() override { return m_state; }
    SerialPort &Port() override { return MSComm1; }
    PortChoice ChoosePort() const override;
    Stop QuitCause() const override { return m_quitCause; }
    void SetButtonEnabled(bool enabled) override;
    void SetTimerEnabled(bool enabled) override;
    void CloseWindow() override;
    void AppendStatusLine(const QString &line) override;
    void AppendBlankLine() override;
    void AppendPrintout(const ListEntries &lines) override;
    void PumpEvents(PumpMode mode = PumpMode::ReturnAtOnce) override;

protected:
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    enum class StatusStyle { Plain, Warning };

    // PortSelector, for the port discovery
    QString Text() const override;
    void SetText(const QString &text) override;
    void AddEntry(const QString &entry, const QString &toolTip) override;

    // ResetListener: the progress in the status line
    void PhaseChanged(const ResetRecord &reset, Phase phase, int attempt) override;

    void Command1_Click();
    void Timer1_Timer();
    // Esc during a reset: it ends as a close would end it, and the window stays.
    void CancelReset();
    // What the archive did with the bytes of the reset that began at `began`.
    void ArchiveKept(const QDateTime &began, const ArchiveResult &result);
    void ShowResult();
    void ShowProgress();
    // On the C key (whatever modifiers are held): the printout lines, without
    // the status lines, replace the clipboard's content.
    void CopyPrintout(int keyCode);
    void LayOutControls(QSize room);
    void PlaceList();
    void BuildListMenu();
    void ShowListMenu(const QPoint &where);
    void UpdateActions();
    void OpenArchiveFolder();
    // "Frühere Ausdrucke": a window of its own, made when first asked for.
    void ShowArchive();
    void ShowPortInfo();
    void SetStatus(const QString &text, StatusStyle style = StatusStyle::Plain);
    // Tells screen readers: at a new phase and a result, not at every count.
    void Announce(const QString &text);

    QLabel *Label1;
    QLabel *Label2;
    QLabel *Label3;
    QLabel *Label4;
    QLabel *Label5;
    QLabel *Label6;
    QLabel *Label8;
    // How the last reset and the last action on its printout ended, or how
    // far the running reset has come.
    QLabel *StatusLine;
    QLabel *StatusIcon;      // beside it when a printout is in no file
    QPushButton *StatusSave; // and a way to save it
    QLabel *PortInfo;        // the chosen port's device and description
    QComboBox *Combo1;
    QPushButton *Command1;
    QListView *List1 = nullptr; // the event filter sees the page filled before the list exists
    QWidget *m_page = nullptr;  // what the window's scroll area shows: all the controls
    QSize m_listMargins;        // from the list's bottom right corner to the page's
    int m_statusHeight = 0;     // of the status line but for a warning, which shares its room
    QTimer Timer1{this};
    DeviceSerialPort MSComm1;
    MainWindowState m_state;
    Stop m_quitCause;

    ListModel m_list{this};
    PrintoutArchive m_archive;
    QMenu *m_listMenu = nullptr;
    PrintoutActions *m_actions = nullptr;
    QAction *m_copyAction = nullptr;
    QAction *m_folderAction = nullptr;
    QAction *m_archiveAction = nullptr;
    std::unique_ptr<ArchiveView> m_archiveView; // a window of its own
    bool m_resetRunning = false;
    QSizeF m_scale{1.0, 1.0};
    QWidget *m_focusAfterDisable = nullptr;
    // The latest reset that brought a printout: what the menu saves and prints.
    std::optional<PrintoutDocument> m_latestPrintout;
    QDateTime m_latestPrintoutBegan;
    // The latest reset, for the status line.
    ResetRecord m_latestReset;
    ResetProgress m_progress;
    QTimer m_progressRefresh{this};
    std::unique_ptr<ArchiveKeeper> m_keeper; // none with the archive off
    SynOnExit m_exitGuard;
    ResetListeners m_listeners;
};
