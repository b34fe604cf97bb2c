// vorn: the desktop viewer of molecular structures and trajectories.
#include "app/MainFrame.h"
#include "app/VornApp.h"

#include <QApplication>
#include <QIcon>

#include <clocale>

int main(int argc, char** argv) {
    vorn::SetDefaultSurfaceFormat(argc, argv);
    QApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication application(argc, argv);
    // Numbers in files and settings are written with a decimal point whatever the user's locale.
    std::setlocale(LC_NUMERIC, "C");
    QApplication::setApplicationName("Vorn");
    QApplication::setOrganizationName("Vorn");
    QApplication::setWindowIcon(QIcon(":/vorn.svg"));
    vorn::CVornApp app;
    app.Start(argc, argv);
    return QApplication::exec();
}
