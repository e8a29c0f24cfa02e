#pragma once

#include <QWidget>
#include <functional>

class QLabel;
class QPushButton;

namespace tn {

// The "Time Is Up" box: a small black borderless window that stays on top of everything, centred on
// the screen, with one button, "Reset", that calls the parent password prompt.
//
// The child cannot get rid of it: it has no frame, ignores close requests (Alt+F4, the window
// manager) and, being no dialog, has no Escape. Only code hides it, through dismiss(), when the
// prompt accepts the password.
//
// It is shown without a modal loop, so the shell's timers keep running, and without window
// modality, which would block input to the password prompt that its own button opens.
class TTimesUp final : public QWidget {
    Q_OBJECT
public:
    // onReset shows the password prompt without waiting for it; whatever it throws is ignored.
    explicit TTimesUp(std::function<void()> onReset, QWidget* parent = nullptr);

    // Centres the box on the screen, shows it and brings it to the front.
    void showTimesUp();
    void dismiss();

    void SpTBXButton1Click();

    QLabel* Label1 = nullptr;
    QPushButton* SpTBXButton1 = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    std::function<void()> on_reset_;
};

}  // namespace tn
