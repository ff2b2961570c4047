#include "Pty.h"

#include "serial/DeviceSerialPort.h"
#include "serial/LineSettings.h"
#include "serial/PortDiagnostics.h"
#include "serial/PortScan.h"

#include <QTemporaryDir>
#include <QTest>

#include <map>

namespace {

using Environment = std::map<QString, QString>;

PortDirectory Directory(const QList<PortDevice> &system, const Environment &environment)
{
    return PortDirectory::Assign(system, [&](const QString &name) -> std::optional<QString> {
        const auto found = environment.find(name);
        if (found == environment.end())
            return std::nullopt;
        return found->second;
    });
}

PortDevice System(const QString &name)
{
    return {name, "/fake/" + name, QString()}; // listed, never opened
}

QStringList SlotPaths(const PortDirectory &directory)
{
    QStringList paths;
    for (int number = PortDirectory::FirstNumber; number <= PortDirectory::LastNumber; ++number)
        paths << (directory.Device(number) ? directory.Device(number)->path : QString());
    while (!paths.isEmpty() && paths.last().isEmpty())
        paths.removeLast();
    return paths;
}

class FakeSelector final : public PortSelector
{
public:
    QString text = QStringLiteral("unset");
    QStringList entries;
    QStringList toolTips;
    QString Text() const override { return text; }
    void SetText(const QString &t) override { text = t; }
    void AddEntry(const QString &entry, const QString &toolTip) override
    {
        entries << entry;
        toolTips << toolTip;
    }
};

QByteArray EveryByte()
{
    QByteArray bytes;
    for (int value = 0; value < 256; ++value)
        bytes += char(value);
    return bytes + "\r\n\n\r";
}

} // namespace

class TestSerialPort : public QObject
{
    Q_OBJECT

private slots:
    void lineSettings_data();
    void lineSettings();
    void portDirectory_data();
    void portDirectory();
    void namedLinkIsListedOnce();
    void opensRaw9600EightNoneOne();
    void bytesPassUnchangedBothWays();
    void failedOperationsChangeNothing();
    void heldPortDoesNotOpen();
    void hangUpClosesThePort();
    void scanPorts_data();
    void scanPorts();
    void scanPortsFromEnvironment();
    void namedPathThatIsNoTerminal_data();
    void namedPathThatIsNoTerminal();
    void permissionAdviceNamesTheGroup();
};

void TestSerialPort::lineSettings_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<LineSettings>("settings");

    QTest::newRow("the settings in use") << "9600,N,8,1" << true << LineSettings{};
    QTest::newRow("lower-case parity, two stop bits")
        << "19200,e,7,2" << true
        << LineSettings{19200, QSerialPort::EvenParity, QSerialPort::Data7, QSerialPort::TwoStop};
    QTest::newRow("one and a half stop bits")
        << "1200,O,5,1.5" << true
        << LineSettings{1200, QSerialPort::OddParity, QSerialPort::Data5, QSerialPort::OneAndHalfStop};
    QTest::newRow("empty") << "" << false << LineSettings{};
    QTest::newRow("unknown parity") << "9600,X,8,1" << false << LineSettings{};
    QTest::newRow("nine data bits") << "9600,N,9,1" << false << LineSettings{};
    QTest::newRow("three stop bits") << "9600,N,8,3" << false << LineSettings{};
    QTest::newRow("negative baud") << "-9600,N,8,1" << false << LineSettings{};
    QTest::newRow("extra field") << "9600,N,8,1,1" << false << LineSettings{};
}

void TestSerialPort::lineSettings()
{
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QFETCH(LineSettings, settings);

    const std::optional<LineSettings> parsed = ParseLineSettings(text);
    QCOMPARE(parsed.has_value(), valid);
    if (valid)
        QVERIFY(*parsed == settings);
}

void TestSerialPort::portDirectory_data()
{
    QTest::addColumn<QList<PortDevice>>("system");
    QTest::addColumn<QStringList>("named"); // "n=path" pairs
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("on-board UARTs first, then adapters, in natural order")
        << QList<PortDevice>{System("ttyUSB0"), System("ttyS10"), System("ttyS2"), System("ttyACM0")}
        << QStringList{} << QStringList{"/fake/ttyS2", "/fake/ttyS10", "/fake/ttyACM0", "/fake/ttyUSB0"};
    QTest::newRow("a named port takes its slot, the system's fill the rest")
        << QList<PortDevice>{System("ttyS0"), System("ttyUSB0")} << QStringList{"2=/tmp/pty"}
        << QStringList{"/fake/ttyS0", "/tmp/pty", "/fake/ttyUSB0"};
    QTest::newRow("an empty name keeps its slot free")
        << QList<PortDevice>{System("ttyS0")} << QStringList{"1="} << QStringList{"", "/fake/ttyS0"};
    QTest::newRow("named ports alone") << QList<PortDevice>{} << QStringList{"3=/a", "9=/b"}
                                       << QStringList{"", "", "/a", "", "", "", "", "", "/b"};
    QList<PortDevice> many;
    for (int i = 0; i < 12; ++i)
        many << System(QStringLiteral("ttyUSB%1").arg(i));
    QTest::newRow("more than nine devices: the first nine")
        << many << QStringList{}
        << QStringList{"/fake/ttyUSB0", "/fake/ttyUSB1", "/fake/ttyUSB2", "/fake/ttyUSB3", "/fake/ttyUSB4",
                       "/fake/ttyUSB5", "/fake/ttyUSB6", "/fake/ttyUSB7", "/fake/ttyUSB8"};
}

void TestSerialPort::portDirectory()
{
    QFETCH(QList<PortDevice>, system);
    QFETCH(QStringList, named);
    QFETCH(QStringList, expected);

    Environment environment;
    for (const QString &pair : std::as_const(named))
        environment["ZELVORIN_COM" + pair.section(u'=', 0, 0)] = pair.section(u'=', 1);
    QCOMPARE(SlotPaths(Directory(system, environment)), expected);
}

void TestSerialPort::namedLinkIsListedOnce()
{
    QTemporaryDir dir;
    const QString device = dir.filePath("ttyUSB0");
    const QString link = dir.filePath("usb-FTDI_FT232R-if00-port0");
    QFile(device).open(QIODevice::WriteOnly);
    QVERIFY(QFile::link(device, link));

    const PortDirectory directory =
        Directory({{"ttyUSB0", device, "FT232R"}, System("ttyS0")}, {{"ZELVORIN_COM1", link}});
    QCOMPARE(SlotPaths(directory), (QStringList{link, "/fake/ttyS0"}));
}

void TestSerialPort::opensRaw9600EightNoneOne()
{
    Pty pty;
    QVERIFY(pty.IsValid());
    // Start from a cooked terminal, as a fresh device would be.
    termios cooked{};
    QCOMPARE(tcgetattr(pty.Slave(), &cooked), 0);
    cooked.c_lflag |= ICANON | ECHO | ISIG;
    cooked.c_iflag |= ICRNL | IXON;
    cooked.c_oflag |= OPOST | ONLCR;
    QCOMPARE(tcsetattr(pty.Slave(), TCSANOW, &cooked), 0);

    DeviceSerialPort port(PtyDirectory({{1, pty.SlavePath()}}));
    QVERIFY(port.SetSettings("9600,N,8,1"));
    QVERIFY(port.SetPortNumber(1));
    QVERIFY(port.Open());

    termios now{};
    QCOMPARE(tcgetattr(pty.Slave(), &now), 0);
    QCOMPARE(cfgetospeed(&now), speed_t(B9600));
    QCOMPARE(now.c_cflag & CSIZE, tcflag_t(CS8));
    QCOMPARE(now.c_cflag & (PARENB | CSTOPB | CRTSCTS), tcflag_t(0));
    QCOMPARE(now.c_lflag & (ICANON | ECHO | ISIG), tcflag_t(0));
    QCOMPARE(now.c_iflag & (ICRNL | INLCR | IGNCR | IXON | IXOFF), tcflag_t(0));
    QCOMPARE(now.c_oflag & OPOST, tcflag_t(0));
}

void TestSerialPort::bytesPassUnchangedBothWays()
{
    Pty pty;
    DeviceSerialPort port(PtyDirectory({{1, pty.SlavePath()}}));
    QVERIFY(port.SetPortNumber(1));
    QVERIFY(port.Open());

    QVERIFY(port.Write(EveryByte()));
    QCOMPARE(pty.Read(EveryByte().size()), EveryByte());

    pty.Write(EveryByte());
    QByteArray received;
    QTRY_VERIFY_WITH_TIMEOUT(
        [&] {
            QByteArray chunk;
            if (port.Read(chunk))
                received += chunk;
            return received.size() >= EveryByte().size();
        }(),
        5000);
    QCOMPARE(received, EveryByte());
    QByteArray nothing = "old";
    QVERIFY(port.Read(nothing));
    QCOMPARE(nothing, QByteArray()); // nothing waiting reads as ""
}

void TestSerialPort::failedOperationsChangeNothing()
{
    Pty pty;
    DeviceSerialPort port(PtyDirectory({{1, pty.SlavePath()}}));

    QByteArray keep = "previous";
    QVERIFY(!port.Read(keep));
    QCOMPARE(keep, QByteArray("previous"));
    QVERIFY(!port.Write("x"));
    QVERIFY(!port.Close());
    QVERIFY(!port.SetSettings("9600,N,9,1"));

    QVERIFY(port.SetPortNumber(4)); // no device behind COM4
    QVERIFY(!port.Open());
    QVERIFY(!port.IsOpen());
    QCOMPARE(port.LastOpenError().kind, OpenError::Kind::NoDevice);

    QVERIFY(port.SetPortNumber(1));
    QVERIFY(port.Open());
    QVERIFY(!port.Open());
    QVERIFY(!port.SetPortNumber(2)); // not while open
    QVERIFY(port.Close());
    QVERIFY(!port.IsOpen());
}

void TestSerialPort::heldPortDoesNotOpen()
{
    Pty pty;
    DeviceSerialPort holder(PtyDirectory({{1, pty.SlavePath()}}));
    DeviceSerialPort second(PtyDirectory({{1, pty.SlavePath()}}));
    QVERIFY(holder.SetPortNumber(1) && holder.Open());
    QVERIFY(second.SetPortNumber(1));
    QVERIFY(!second.Open());
    QCOMPARE(second.LastOpenError().kind, OpenError::Kind::Busy);
    QVERIFY(holder.Close());
    QVERIFY(second.Open());
}

void TestSerialPort::hangUpClosesThePort()
{
    Pty pty;
    DeviceSerialPort port(PtyDirectory({{1, pty.SlavePath()}}));
    QVERIFY(port.SetPortNumber(1) && port.Open());
    pty.Write("ab");
    QByteArray got;
    QTRY_COMPARE([&] {
        QByteArray chunk;
        port.Read(chunk);
        return got += chunk;
    }(), QByteArray("ab"));

    pty.CloseSlave(); // only the port's own descriptor is left on the terminal
    pty.CloseMaster();
    QTRY_VERIFY(!port.IsOpen());
    QByteArray keep = "ab";
    QVERIFY(!port.Read(keep));
    QVERIFY(!port.Write("x"));
}

void TestSerialPort::scanPorts_data()
{
    QTest::addColumn<QList<int>>("ptys");
    QTest::addColumn<QList<int>>("held");
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<QString>("text");

    QTest::newRow("ports 2 and 5: both listed, COM2 chosen")
        << QList<int>{2, 5} << QList<int>{} << QStringList{"COM2", "COM5"} << "COM2";
    QTest::newRow("no usable port: empty list, empty text") << QList<int>{} << QList<int>{} << QStringList{} << "";
    QTest::newRow("a port held by another program is left out")
        << QList<int>{1, 3} << QList<int>{1} << QStringList{"COM3"} << "COM3";
    QTest::newRow("all nine") << QList<int>{1, 2, 3, 4, 5, 6, 7, 8, 9} << QList<int>{}
                              << QStringList{"COM1", "COM2", "COM3", "COM4", "COM5", "COM6", "COM7", "COM8", "COM9"}
                              << "COM1";
}

void TestSerialPort::scanPorts()
{
    QFETCH(QList<int>, ptys);
    QFETCH(QList<int>, held);
    QFETCH(QStringList, entries);
    QFETCH(QString, text);

    std::map<int, std::unique_ptr<Pty>> terminals;
    std::map<int, QString> byNumber;
    for (int number : std::as_const(ptys)) {
        terminals[number] = std::make_unique<Pty>();
        byNumber[number] = terminals[number]->SlavePath();
    }
    const PortDirectory directory = PtyDirectory(byNumber);
    std::list<DeviceSerialPort> holders;
    for (int number : std::as_const(held)) {
        DeviceSerialPort &holder = holders.emplace_back(directory);
        QVERIFY(holder.SetPortNumber(number) && holder.Open());
    }

    DeviceSerialPort port(directory);
    FakeSelector selector;
    ScanPorts(port, directory, selector);

    QCOMPARE(selector.entries, entries);
    QCOMPARE(selector.text, text);
    QVERIFY(!port.IsOpen());
    for (qsizetype i = 0; i < selector.entries.size(); ++i) {
        const int number = selector.entries[i].back().digitValue();
        QVERIFY(selector.toolTips[i].startsWith(byNumber[number]));
    }
}

void TestSerialPort::scanPortsFromEnvironment()
{
    Pty second;
    Pty fifth;
    // Every slot named, so that the machine's own serial devices are not asked.
    for (int number = PortDirectory::FirstNumber; number <= PortDirectory::LastNumber; ++number) {
        const QString path = number == 2 ? second.SlavePath() : number == 5 ? fifth.SlavePath() : QString();
        qputenv(PortDirectory::EnvironmentName(number).toLatin1().constData(), path.toLocal8Bit());
    }
    const PortDirectory directory = PortDirectory::FromSystem();
    for (int number = PortDirectory::FirstNumber; number <= PortDirectory::LastNumber; ++number)
        qunsetenv(PortDirectory::EnvironmentName(number).toLatin1().constData());

    DeviceSerialPort port(directory);
    FakeSelector selector;
    ScanPorts(port, directory, selector);
    QCOMPARE(selector.entries, (QStringList{"COM2", "COM5"}));
    QCOMPARE(selector.text, QStringLiteral("COM2"));
}

void TestSerialPort::namedPathThatIsNoTerminal_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<OpenError::Kind>("kind");
    QTest::newRow("a path that does not exist") << "missing" << OpenError::Kind::NoDevice;
    QTest::newRow("a plain file") << "file" << OpenError::Kind::Other;
    QTest::newRow("a folder") << "folder" << OpenError::Kind::Other;
}

void TestSerialPort::namedPathThatIsNoTerminal()
{
    QFETCH(QString, name);
    QFETCH(OpenError::Kind, kind);
    QTemporaryDir dir;
    QFile(dir.filePath("file")).open(QIODevice::WriteOnly);
    QDir(dir.path()).mkdir("folder");

    const PortDirectory directory = PtyDirectory({{1, dir.filePath(name)}});
    DeviceSerialPort port(directory);
    FakeSelector selector;
    QStringList said;
    ScanPorts(port, directory, selector, [&](int number, const PortDevice &device, const OpenError &error) {
        said << PortDiagnostic(number, device, error, QString());
        QCOMPARE(error.kind, kind);
    });
    QVERIFY(selector.entries.isEmpty());
    QCOMPARE(selector.text, QString());
    QCOMPARE(said.size(), 1); // the one named port, not the eight free slots
    QVERIFY(said[0].startsWith("zelvorin: COM1 (" + dir.filePath(name) + ")"));
}

void TestSerialPort::permissionAdviceNamesTheGroup()
{
    const QString advice = PortDiagnostic(2, {"ttyUSB0", "/fake/ttyUSB0", {}},
                                          {OpenError::Kind::PermissionDenied, "Permission denied"}, "uucp");
    QVERIFY(advice.contains("COM2 (/fake/ttyUSB0)"));
    QVERIFY(advice.contains("usermod -aG uucp"));
    QVERIFY(advice.contains("anmelden")); // a new login is needed
}

QTEST_GUILESS_MAIN(TestSerialPort)
#include "tst_serialport.moc"
