#include "core/application_filter.h"

#include <QKeyEvent>

namespace tn {

bool ApplicationFilter::eventFilter(QObject* watched, QEvent* event) {
    const auto type = event->type();
    if (type == QEvent::KeyPress || type == QEvent::ShortcutOverride) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_F4 && key->modifiers().testFlag(Qt::AltModifier)) {
            // A ShortcutOverride comes before the key press. Accepted, it tells Qt that the key is
            // not a shortcut, so no shortcut bound to Alt+F4 fires; the press itself is then dropped.
            key->accept();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace tn
