// The window as a person sees it on a real X server (run under xvfb-run):
// after a demo reset, every label shows all of its text and the list shows
// the printout. Saves the picture to $ZELVORIN_SCREENSHOT when that is set.

#include "app/Form1.h"
#include "tools/PtyMachine.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

class TestScreenshot : public QObject
{
    Q_OBJECT

private slots:
    void windowAfterDemoReset();
};

void TestScreenshot::windowAfterDemoReset()
{
    if (QGuiApplication::platformName() != u"xcb")
        QSKIP("needs a real X server: run under xvfb-run");

    SimulatedMachine::Options options;
    options.answerAtPoll = 1;
    options.pieceIntervalMs = 2;
    PtyMachine machine(options);
    Form1 form(PortDirectory::Assign({}, [&](const QString &name) -> std::optional<QString> {
        return name == PortDirectory::EnvironmentName(1) ? machine.SlavePath() : QString();
    }));
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    form.findChild<QPushButton *>(QStringLiteral("Command1"))->click();

    for (const QLabel *label : form.findChildren<QLabel *>()) {
        const int needed = label->heightForWidth(label->width());
        QVERIFY2(needed <= label->height(),
                 qPrintable(QStringLiteral("%1 needs %2 px, has %3").arg(label->objectName()).arg(needed).arg(label->height())));
    }

    const auto *list = form.findChild<QListWidget *>(QStringLiteral("List1"));
    const QList<QListWidgetItem *> found = list->findItems(QStringLiteral("Rückstellung erfolgt"), Qt::MatchExactly);
    QCOMPARE(found.size(), 1);
    QVERIFY(list->viewport()->rect().contains(list->visualItemRect(found.first())));

    const QImage picture = form.grab().toImage();
    QCOMPARE(picture.size(), form.size() * form.devicePixelRatio());
    const QString path = qEnvironmentVariable("ZELVORIN_SCREENSHOT");
    if (!path.isEmpty())
        QVERIFY(picture.save(path));
}

QTEST_MAIN(TestScreenshot)
#include "tst_screenshot.moc"
