#include "app/CKestrovaApp.h"
#include "ui/CKestrovaDlg.h"

int main(int argc, char* argv[])
{
    // The arguments are files and folders to add (see CKestrovaApp); Qt's own options are
    // taken out by QApplication first.
    CKestrovaApp app(argc, argv);
    return app.Run(&CreateMainWindow);
}
