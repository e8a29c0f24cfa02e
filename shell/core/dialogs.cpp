#include "core/dialogs.h"

#include <QApplication>
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
