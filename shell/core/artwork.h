#pragma once

#include <QPixmap>

class QPainter;
class QRect;

namespace tn::artwork {

// The shell's own pictures, drawn by code so that they stay sharp at every screen size and ship no
// image files of anyone else's making.

// The background behind everything: a soft sky over rolling hills.
void paintBackground(QPainter& painter, const QRect& area);
// The name of the shell in playful letters, 290 × 74.
QPixmap logo();
// A gear wheel, size × size, for the way into the administration panel.
QPixmap gears(int size);

}  // namespace tn::artwork

namespace tn::artwork {

// An arrow for scrolling, pointing left or right, size w × h; dark is the pressed look.
QPixmap arrow(bool pointing_left, int w, int h, bool dark);
// The picture a thumbnail shows before a site is loaded into it.
QPixmap placeholder(int w, int h);

}  // namespace tn::artwork

namespace tn::artwork {

// A little house: the way back to the activities' home page.
QPixmap house(int w, int h);
// A screen with windows on it: the way to the virtual desktop.
QPixmap desktop(int w, int h);

}  // namespace tn::artwork

namespace tn::artwork {

// The administration panel's calm backdrop: deep blue with faint diagonal bands, w × h.
QPixmap adminBackground(int w, int h);
// A question mark in a circle, size × size: the way to the about box.
QPixmap questionMark(int size);

}  // namespace tn::artwork
