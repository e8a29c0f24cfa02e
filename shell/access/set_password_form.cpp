#include "access/set_password_form.h"

#include <QColor>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "access/password_change.h"
#include "access/password_widgets.h"
#include "core/dialogs.h"

namespace tn {

namespace {
constexpr int kWidth = 381;
constexpr int kHeight = 269;
constexpr int kMargin = 16;
}  // namespace

TSetPWForm::TSetPWForm(Settings& settings, IDialogs& dialogs, std::function<std::error_code()> saveSettings,
                       std::function<bool()> capsLockOn, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      settings_(settings),
      dialogs_(dialogs),
      save_settings_(std::move(saveSettings)),
      caps_lock_on_(std::move(capsLockOn)) {
    setObjectName(QStringLiteral("SetPWForm"));
    setWindowTitle(QStringLiteral("Set Password"));
    setFixedSize(kWidth, kHeight);
    paintBlack(this);
    const int width = kWidth - 2 * kMargin;

    Label1 =
        makeLabel(QStringLiteral("Label1"),
                  QStringLiteral("Please enter a parental password. This password will be used to access "
                                 "parent controlled settings and is required for exiting the application. "
                                 "Ensure that you remember this password."),
                  QColor(255, 255, 0), this);
    Label1->setWordWrap(true);
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label1->setGeometry(kMargin, 12, width, 78);

    Label2 = makeLabel(QStringLiteral("Label2"), QStringLiteral("Enter New Password:"), Qt::white, this);
    Label2->setGeometry(kMargin, 96, width, 18);
    PWEdit = makeMaskedEdit(QStringLiteral("PWEdit"), this);
    PWEdit->setGeometry(kMargin, 116, width, 23);

    Label3 = makeLabel(QStringLiteral("Label3"), QStringLiteral("Confirm New Password:"), Qt::white, this);
    Label3->setGeometry(kMargin, 146, width, 18);
    PWConfirmEdit = makeMaskedEdit(QStringLiteral("PWConfirmEdit"), this);
    PWConfirmEdit->setGeometry(kMargin, 166, width, 23);

    Label4 = makeCapsLockWarning(QStringLiteral("Label4"), this);
    Label4->setGeometry(kMargin, 198, width, 20);

    SpTBXButton1 = new QPushButton(QStringLiteral("OK"), this);
    SpTBXButton1->setObjectName(QStringLiteral("SpTBXButton1"));
    SpTBXButton1->setGeometry((kWidth - 75) / 2, 230, 75, 25);
    SpTBXButton1->setDefault(true);
    connect(SpTBXButton1, &QPushButton::clicked, this, &TSetPWForm::SpTBXButton1Click);

    for (QLineEdit* edit : {PWEdit, PWConfirmEdit}) {
        edit->installEventFilter(this);
        connect(edit, &QLineEdit::textChanged, this, &TSetPWForm::updateCapsLockWarning);
    }
    setTabOrder(PWEdit, PWConfirmEdit);
    setTabOrder(PWConfirmEdit, SpTBXButton1);
}

void TSetPWForm::openModal() {
    centreOnScreen(this);
    exec();
}

void TSetPWForm::SpTBXButton1Click() {
    const NewPassword check =
        checkNewPassword(PWEdit->text().toStdString(), PWConfirmEdit->text().toStdString());
    if (!check.line0) {
        PWEdit->clear();
        PWConfirmEdit->clear();
        dialogs_.information(this, QString::fromStdString(check.message));
        return;
    }

    const std::string previous(settings_.line(setting::kPassword));
    settings_.set(setting::kPassword, *check.line0);
    const std::error_code error =
        save_settings_ ? save_settings_() : std::make_error_code(std::errc::io_error);
    if (error) {
        // Neither the shell nor the parent may go on believing a password exists when the file does
        // not hold it: the next start would ask again, or a later save would store it unseen.
        settings_.set(setting::kPassword, previous);
        dialogs_.information(this, QString::fromStdString(passwordNotSavedMessage(error)));
        return;
    }
    PWEdit->clear();
    PWConfirmEdit->clear();
    dialogs_.information(this, QString::fromStdString(check.message));
    if (saved_) saved_();
    done(QDialog::Accepted);
}

void TSetPWForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    PWEdit->setFocus();
    updateCapsLockWarning();
}

bool TSetPWForm::eventFilter(QObject* watched, QEvent* event) {
    if ((watched == PWEdit || watched == PWConfirmEdit) && event->type() == QEvent::MouseButtonRelease)
        updateCapsLockWarning();
    return QDialog::eventFilter(watched, event);
}

void TSetPWForm::updateCapsLockWarning() {
    Label4->setVisible(caps_lock_on_ && caps_lock_on_());
}

}  // namespace tn
