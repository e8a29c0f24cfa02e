#pragma once

#include <QObject>

namespace tn {

// Installed on the application: swallows Alt+F4 before any window of the shell sees it, so the key
// can close nothing; every other event passes unchanged.
class ApplicationFilter final : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override;
};

}  // namespace tn
