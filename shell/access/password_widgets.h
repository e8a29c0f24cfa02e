#pragma once

#include <QString>

class QColor;
class QLabel;
class QLineEdit;
class QWidget;

namespace tn {

// The controls the password prompt and the set-password form share.

// A black window background.
void paintBlack(QWidget* window);
// A label in the given text colour.
QLabel* makeLabel(const QString& name, const QString& text, const QColor& colour, QWidget* parent);
// "CAUTION: CAPS-LOCK is on!", bold black on red, hidden until the Caps Lock state is known.
QLabel* makeCapsLockWarning(const QString& name, QWidget* parent);
// A single-line edit that shows "*" for every character (whatever the style would use) and offers
// no copying of its text.
QLineEdit* makeMaskedEdit(const QString& name, QWidget* parent);
// Moves a top-level window to the centre of the primary screen.
void centreOnScreen(QWidget* window);

}  // namespace tn
