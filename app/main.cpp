#include "app/CKestrovaApp.h"
#include "app/PlaceholderMainWindow.h"

int main(int argc, char* argv[])
{
    // The program takes no arguments; Qt's own options are left to QApplication.
    CKestrovaApp app(argc, argv);
    return app.Run(&CreatePlaceholderMainWindow);
}
