#pragma once

#include <QWidget>

#include <string>
#include <vector>

class QLabel;
class QPushButton;
class QTimer;

namespace tn::updater {

// The updater's only window: shown minimized while it waits for the shell to end, then swaps the
// executable, restarts the shell if asked to and closes. Stays open when that could not be done,
// after telling the user why.
class TForm1 : public QWidget {
    Q_OBJECT

public:
    explicit TForm1(QWidget* parent = nullptr);

    void FormCreate();
    // Fires once: ends what is left of the shell, then runs the swap.
    void Timer1Timer();
    // The swap and the restart; closes the window unless something stopped it.
    void Button1Click();

    QPushButton* Button1 = nullptr;
    QTimer* Timer1 = nullptr;
    // "restart.ini" as last loaded.
    std::vector<std::string> Memo1;

private:
    QLabel* label_ = nullptr;
    std::string folder_;
    // A message box keeps events running, so the timer may fire while "Go" is being handled.
    bool running_ = false;
};

}  // namespace tn::updater
