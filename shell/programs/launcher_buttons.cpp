#include "programs/launcher_buttons.h"

#include <QEvent>

#include "programs/launcher.h"

namespace tn {

LauncherButtons::LauncherButtons(QWidget* panel, int first_row, std::function<void(std::size_t)> on_click)
    : panel_(panel), first_row_(first_row), on_click_(std::move(on_click)) {
    panel_->installEventFilter(this);
}

bool LauncherButtons::eventFilter(QObject* watched, QEvent* event) {
    if (watched == panel_ && event->type() == QEvent::Resize) place();
    return false;
}

void LauncherButtons::place() {
    for (std::size_t i = 0; i < buttons_.size(); ++i) {
        if (!buttons_[i]) continue;
        const Rect r = launcherButtonGeometry(i, panel_->width(), first_row_);
        buttons_[i]->setGeometry(r.left, r.top, r.width, r.height);
    }
}

LauncherButtons::~LauncherButtons() {
    for (const QPointer<QPushButton>& button : buttons_)
        delete button.data();
}

void LauncherButtons::free() {
    // A rebuild may run inside a launcher button's own click: the buttons leave the panel at once
    // and are deleted once that click has returned.
    for (const QPointer<QPushButton>& button : buttons_) {
        if (!button) continue;
        button->hide();
        button->setParent(nullptr);
        button->deleteLater();
    }
    buttons_.clear();
}

void LauncherButtons::rebuild(const AllowedPrograms& programs) {
    free();
    buttons_.reserve(programs.count());
    for (std::size_t i = 0; i < programs.count(); ++i) {
        auto* button = new QPushButton(panel_);
        // Names are shown as written: a "%" or "&" is text, not a format or a mnemonic.
        QString caption =
            QString::fromUtf8(programs.name(i).data(), static_cast<qsizetype>(programs.name(i).size()));
        button->setText(caption.replace(QLatin1Char('&'), QLatin1String("&&")));
        button->setObjectName(QString::fromStdString(launcherButtonName(i)));
        QObject::connect(button, &QPushButton::clicked, button, [this, button] {
            if (const auto index = launcherButtonIndex(button->objectName().toStdString())) on_click_(*index);
        });
        button->show();
        buttons_.emplace_back(button);
    }
    place();
}

}  // namespace tn
