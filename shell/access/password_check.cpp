#include "access/password_check.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "access/password_widgets.h"
#include "access/scramble.h"
#include "core/dialogs.h"

namespace tn {

namespace {
constexpr int kWidth = 255;
constexpr int kHeight = 145;
}  // namespace

TPasswordCheck::TPasswordCheck(const Settings& settings, IDialogs& dialogs, std::function<void()> playAlert,
                               std::function<bool()> capsLockOn, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      settings_(settings),
      dialogs_(dialogs),
      play_alert_(std::move(playAlert)),
      caps_lock_on_(std::move(capsLockOn)) {
    setObjectName(QStringLiteral("PasswordCheck"));
    setWindowTitle(QStringLiteral("Password"));
    setFixedSize(kWidth, kHeight);
    paintBlack(this);

    Label1 = makeLabel(QStringLiteral("Label1"), QStringLiteral("Please enter password."), Qt::white, this);
    Label1->setGeometry(16, 12, kWidth - 32, 18);

    Edit1 = makeMaskedEdit(QStringLiteral("Edit1"), this);
    Edit1->setGeometry(16, 36, kWidth - 32, 23);
    Edit1->installEventFilter(this);
    connect(Edit1, &QLineEdit::textChanged, this, &TPasswordCheck::updateCapsLockWarning);

    Label2 = makeCapsLockWarning(QStringLiteral("Label2"), this);
    Label2->setGeometry(16, 66, kWidth - 32, 20);

    Button2 = new QPushButton(QStringLiteral("Cancel"), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button2->setGeometry(40, 104, 75, 25);
    connect(Button2, &QPushButton::clicked, this, &TPasswordCheck::Button2Click);

    Button1 = new QPushButton(QStringLiteral("OK"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(kWidth - 40 - 75, 104, 75, 25);
    Button1->setDefault(true);
    connect(Button1, &QPushButton::clicked, this, &TPasswordCheck::Button1Click);

    setTabOrder(Edit1, Button1);
    setTabOrder(Button1, Button2);
}

void TPasswordCheck::openModal() {
    if (isVisible()) {
        openNonModal();
        return;
    }
    centre();
    exec();
}

void TPasswordCheck::openNonModal() {
    if (!isVisible()) {
        centre();
        show();
    }
    raise();
    activateWindow();
}

void TPasswordCheck::Button1Click() {
    entered_password_ = Edit1->text().toStdString();
    const std::string_view stored = settings_.line(setting::kPassword);
    if (!stored.empty()) {
        if (passwordMatches(stored, entered_password_)) {
            release(true);
        } else if (!entered_password_.empty()) {
            entered_password_.clear();
            if (play_alert_) play_alert_();
            dialogs_.information(this, QStringLiteral("Incorrect Password!"));
        }
        return;
    }
    if (!entered_password_.empty()) {
        entered_password_.clear();
        if (play_alert_) play_alert_();
        dialogs_.information(this, QStringLiteral("Incorrect Password!"));
        Edit1->clear();
        return;
    }
    release(false);
}

void TPasswordCheck::Button2Click() {
    Edit1->clear();
    if (cancelled_) cancelled_();
    done(QDialog::Rejected);
}

void TPasswordCheck::reject() {
    // A close that is not Cancel would leave the main window with its tabs hidden.
    if (isVisible()) Button2Click();
}

void TPasswordCheck::release(bool password_stored) {
    if (release_) release_(password_stored);
    entered_password_.clear();
    done(QDialog::Accepted);
    Edit1->clear();
}

void TPasswordCheck::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    Edit1->setFocus();
    updateCapsLockWarning();
}

bool TPasswordCheck::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Edit1) {
        if (event->type() == QEvent::MouseButtonRelease) {
            updateCapsLockWarning();
        } else if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                // Handled here and consumed: passed on, the dialog would press its default button a
                // second time.
                Button1->click();
                return true;
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TPasswordCheck::updateCapsLockWarning() {
    Label2->setVisible(caps_lock_on_ && caps_lock_on_());
}

void TPasswordCheck::centre() {
    centreOnScreen(this);
}

}  // namespace tn
