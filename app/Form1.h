#pragma once

#include "reset/ResetHost.h"
#include "serial/DeviceSerialPort.h"
#include "serial/PortScan.h"

#include <QTimer>
#include <QWidget>

class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;

inline constexpr char ApplicationName[] = "Zelvorin";
inline constexpr char ApplicationVersion[] = "1.00";

// The program's one window: instructions, the port selector, the button that
// starts a reset, and the list that shows progress and the printout.
class Form1 final : public QWidget, public ResetHost, private PortSelector
{
    Q_OBJECT

public:
    // The window's design-time geometry is in twips; 15 make one pixel.
    static constexpr int TwipsPerPixel = 15;
    static constexpr int ClientWidthTwips = 8205;
    static constexpr int ClientHeightTwips = 7845;
    static constexpr double MaxLayoutScale = 3.0;

    explicit Form1(PortDirectory directory, QWidget *parent = nullptr);

    // How much the design geometry was enlarged so that every label's text fits.
    double LayoutScale() const { return m_scale; }
    QStringList ListEntries() const;

    // ResetHost
    MainWindowState &State() override { return m_state; }
    SerialPort &Port() override { return MSComm1; }
    QString SelectorText() const override;
    void SetButtonEnabled(bool enabled) override;
    void SetTimerEnabled(bool enabled) override;
    void CloseWindow() override;
    void AppendLine(const QString &line) override;
    void PumpEvents(PumpMode mode = PumpMode::ReturnAtOnce) override;

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // PortSelector, for the port discovery
    QString Text() const override;
    void SetText(const QString &text) override;
    void AddEntry(const QString &entry, const QString &toolTip) override;

    void Command1_Click();
    void Timer1_Timer();
    void LayOutControls();

    QLabel *Label1;
    QLabel *Label2;
    QLabel *Label3;
    QLabel *Label4;
    QLabel *Label5;
    QLabel *Label6;
    QLabel *Label8;
    QComboBox *Combo1;
    QPushButton *Command1;
    QListWidget *List1;
    QTimer Timer1;
    DeviceSerialPort MSComm1;
    MainWindowState m_state;

    bool m_resetRunning = false;
    double m_scale = 1.0;
    QWidget *m_focusAfterDisable = nullptr;
    bool m_scrollPending = false;
};
