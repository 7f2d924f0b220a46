// Ostrel, the events editor: started in the data folder, it edits one ".zre" events file at a time.
#include "editors/events/ui/OstrelApp.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    COstrelApp app;
    return app.Run();
}
