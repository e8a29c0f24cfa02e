#pragma once

#include <QDialog>
#include <string>

class QPlainTextEdit;
class QPushButton;

namespace tn {

// The about box: a small black borderless window that stays on top, centred on the screen, showing
// the data directory's "files/readme.txt". The text is read at every opening, so a text an update
// replaced shows the next time. It closes only through "OK" (Escape and close requests are refused),
// and opens from the child's screen as well as from the administration panel.
class TAboutBox final : public QDialog {
    Q_OBJECT
public:
    // data_dir ends with "/".
    explicit TAboutBox(std::string data_dir, QWidget* parent = nullptr);

    // Shows the box and returns when "OK" has closed it.
    void openModal();
    void SpTBXButton1Click();  // "OK"

    QPlainTextEdit* AboutMemo = nullptr;
    QPushButton* SpTBXButton1 = nullptr;

public Q_SLOTS:
    void reject() override {}

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void FormShow();

    std::string data_dir_;
    bool closing_by_ok_ = false;
};

}  // namespace tn
