#include "access/password_widgets.h"

#include <QColor>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>

namespace tn {

void paintBlack(QWidget* window) {
    window->setAutoFillBackground(true);
    QPalette palette = window->palette();
    palette.setColor(QPalette::Window, Qt::black);
    window->setPalette(palette);
}

QLabel* makeLabel(const QString& name, const QString& text, const QColor& colour, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
    return label;
}

QLabel* makeCapsLockWarning(const QString& name, QWidget* parent) {
    auto* label = makeLabel(name, QStringLiteral("CAUTION: CAPS-LOCK is on!"), Qt::black, parent);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    label->setAutoFillBackground(true);
    QPalette palette = label->palette();
    palette.setColor(QPalette::Window, Qt::red);
    label->setPalette(palette);
    label->setAlignment(Qt::AlignCenter);
    label->hide();
    return label;
}

QLineEdit* makeMaskedEdit(const QString& name, QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(name);
    edit->setEchoMode(QLineEdit::Password);
    // Styles draw a bullet by default; the shell shows "*" (character 42).
    edit->setStyleSheet(QStringLiteral("lineedit-password-character: 42;"));
    edit->setContextMenuPolicy(Qt::NoContextMenu);
    return edit;
}

void centreOnScreen(QWidget* window) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) return;
    QRect frame(QPoint(), window->size());
    frame.moveCenter(screen->geometry().center());
    window->move(frame.topLeft());
}

}  // namespace tn
