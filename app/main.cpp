#include "Form1.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QLatin1StringView(ApplicationName));
    QApplication::setApplicationVersion(QLatin1StringView(ApplicationVersion));
    QApplication::setDesktopFileName(QStringLiteral("org.zelvorin.Zelvorin"));

    QIcon icon;
    for (const char *size : {"16", "32", "48"})
        icon.addFile(QStringLiteral(":/icons/zelvorin-%1.png").arg(QLatin1StringView(size)));
    QApplication::setWindowIcon(icon);

    Form1 form(PortDirectory::FromSystem());
    form.show();
    return app.exec();
}
