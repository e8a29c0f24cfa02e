// Saves a picture of the whole X screen named by $DISPLAY: `tn_screenshot FILE.png`.
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FILE.png\n", argv[0]);
        return 2;
    }
    QGuiApplication app(argc, argv);
    const QPixmap shot = QGuiApplication::primaryScreen()->grabWindow(0);
    if (shot.isNull() || !shot.save(QString::fromLocal8Bit(argv[1]))) {
        std::fprintf(stderr, "could not save the screen to %s\n", argv[1]);
        return 1;
    }
    return 0;
}
