#pragma once

#include <QPointer>
#include <QPushButton>
#include <cstddef>
#include <functional>
#include <vector>

#include "programs/allowed_programs.h"

namespace tn {

// The launcher buttons on a panel: one push button per allowed program, laid out two to a row
// (see launcher.h), named "TEMPBUTTON<index>". The click handler reads the index back from the name.
// The buttons follow the panel's width, so a rebuild before the panel is laid out places them right
// once it is.
class LauncherButtons final : public QObject {
public:
    // first_row: 1 on the main window's Software tab, 2 on the virtual desktop.
    LauncherButtons(QWidget* panel, int first_row, std::function<void(std::size_t)> on_click);
    ~LauncherButtons() override;
    LauncherButtons(const LauncherButtons&) = delete;
    LauncherButtons& operator=(const LauncherButtons&) = delete;

    // Frees the existing buttons and creates one per program pair, sized from the panel's width.
    void rebuild(const AllowedPrograms& programs);
    // Frees every button.
    void free();

    const std::vector<QPointer<QPushButton>>& buttons() const { return buttons_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void place();

    QWidget* panel_;
    int first_row_;
    std::function<void(std::size_t)> on_click_;
    std::vector<QPointer<QPushButton>> buttons_;
};

}  // namespace tn
