// Tarnwick, the scenario editor: its data folder is the folder it starts in.
#include "editors/tacmap/ui/TarnwickApp.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication qtApp(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tarnwick"));
    CTarnwickApp app;
    return app.Run();
}
