#include "core/about_box.h"

#include <QCloseEvent>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>

#include "core/artwork.h"

namespace tn {

namespace {
constexpr int kWidth = 464;
constexpr int kHeight = 330;
}  // namespace

TAboutBox::TAboutBox(std::string data_dir, QWidget* parent)
    : QDialog(parent), data_dir_(std::move(data_dir)) {
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(QStringLiteral("About Tumblenest"));
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    setFixedSize(kWidth, kHeight);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, Qt::black);
    setPalette(colours);
    setAutoFillBackground(true);

    auto* background = new QLabel(this);
    background->setGeometry(0, 0, kWidth, kHeight);
    background->setPixmap(artwork::adminBackground(kWidth, kHeight));

    AboutMemo = new QPlainTextEdit(this);
    AboutMemo->setObjectName(QStringLiteral("AboutMemo"));
    AboutMemo->setReadOnly(true);
    AboutMemo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    AboutMemo->setGeometry(24, 24, 417, 249);

    SpTBXButton1 = new QPushButton(QStringLiteral("OK"), this);
    SpTBXButton1->setObjectName(QStringLiteral("SpTBXButton1"));
    SpTBXButton1->setGeometry(200, 288, 75, 25);
    SpTBXButton1->setDefault(true);
    connect(SpTBXButton1, &QPushButton::clicked, this, [this] { SpTBXButton1Click(); });
    FormShow();  // the text is there from creation on
}

void TAboutBox::openModal() {
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - QPoint(kWidth / 2, kHeight / 2));
    exec();
}

void TAboutBox::SpTBXButton1Click() {
    closing_by_ok_ = true;
    accept();
    closing_by_ok_ = false;
}

void TAboutBox::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormShow();
}

void TAboutBox::closeEvent(QCloseEvent* event) {
    // Only "OK" closes the box; a window manager's close request is refused.
    if (!closing_by_ok_) event->ignore();
}

void TAboutBox::FormShow() {
    QFile file(QString::fromStdString(data_dir_ + "files/readme.txt"));
    if (!file.open(QIODevice::ReadOnly)) {
        // A missing text must not stop anything; the box says where its text should be.
        AboutMemo->setPlainText(
            QStringLiteral("Tumblenest\n\n(The text of this box, \"files/readme.txt\", "
                           "could not be read.)"));
        return;
    }
    AboutMemo->setPlainText(QString::fromUtf8(file.readAll()));
}

}  // namespace tn
