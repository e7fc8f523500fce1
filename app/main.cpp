#include "app/CKestrovaApp.h"
#include "ui/CKestrovaDlg.h"

int main(int argc, char* argv[])
{
    // The program takes no arguments; Qt's own options are left to QApplication.
    CKestrovaApp app(argc, argv);
    return app.Run(&CreateMainWindow);
}
