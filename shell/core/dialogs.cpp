#include "core/dialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>

namespace tn {

void QtDialogs::information(QWidget* parent, const QString& text) {
    QMessageBox::information(parent, QApplication::applicationDisplayName(), text);
}

bool QtDialogs::confirm(QWidget* parent, const QString& text) {
    return QMessageBox::question(parent, QStringLiteral("Warning"), text, QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::No) == QMessageBox::Yes;
}

}  // namespace tn

namespace tn {

std::optional<QString> QtDialogs::openFile(QWidget* parent, const QString& folder, const QString& filters) {
    // Qt's own dialog: the same on every desktop, and it cannot start other programs.
    const QString file = QFileDialog::getOpenFileName(parent, QString(), folder, filters, nullptr,
                                                      QFileDialog::DontUseNativeDialog);
    if (file.isEmpty()) return std::nullopt;
    return file;
}

}  // namespace tn
