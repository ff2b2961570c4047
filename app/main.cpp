#include "Form1.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QLatin1StringView(ApplicationName));
    QApplication::setApplicationVersion(QLatin1StringView(ApplicationVersion));

    Form1 form(PortDirectory::FromSystem());
    form.show();
    return app.exec();
}
