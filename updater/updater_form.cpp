#include "updater_form.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include <chrono>
#include <cstdio>
#include <thread>

#include "processes.h"
#include "swap.h"

namespace tn::updater {

TForm1::TForm1(QWidget* parent) : QWidget(parent) {
    setWindowTitle(QStringLiteral("Please Wait..."));
    label_ = new QLabel(QStringLiteral("Please Wait..."), this);
    Button1 = new QPushButton(QStringLiteral("Go"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label_);
    layout->addWidget(Button1);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(2000);
    Timer1->setSingleShot(true);

    connect(Button1, &QPushButton::clicked, this, &TForm1::Button1Click);
    connect(Timer1, &QTimer::timeout, this, &TForm1::Timer1Timer);
    FormCreate();
    Timer1->start();
}

void TForm1::FormCreate() {
    folder_ = programFolder();
}

void TForm1::Timer1Timer() {
    Timer1->stop();
    endLeftoverShells(folder_);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    Button1Click();
}

void TForm1::Button1Click() {
    if (running_) return;
    running_ = true;
    const SwapOutcome outcome = swapAndRestart(folder_);
    Memo1 = outcome.restart_lines;
    if (outcome.error.empty()) {
        close();
        return;
    }
    // Also on the error stream, for whoever started the updater from a terminal or a log.
    std::fprintf(stderr, "update: %s\n", outcome.error.c_str());
    QMessageBox::critical(this, QApplication::applicationName(), QString::fromStdString(outcome.error));
    running_ = false;
}

}  // namespace tn::updater
