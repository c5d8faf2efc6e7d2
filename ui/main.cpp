#include <QApplication>

#include "app_state.h"

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QApplication::setDesktopFileName(QStringLiteral("orvane-mp4avi"));
    return runApplication();
}
