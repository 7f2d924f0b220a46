// Vellisk, the area-map editor: started in the data folder ("cd build/data && ../editors/areamap/Vellisk").
#include "editors/areamap/ui/VelliskApplication.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication qt(argc, argv);
    QApplication::setApplicationName("Vellisk");
    CVelliskApplication app;
    return app.Run();
}
