#include <QApplication>

#include "updater_form.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tumblenest Updater"));
    tn::updater::TForm1 form;
    form.showMinimized();
    return QApplication::exec();
}
