#pragma once

#include <QHash>
#include <QObject>
#include <QPixmap>
#include <QTimer>
#include <array>
#include <functional>
#include <string>

#include "websites/link_carousel.h"

class QLabel;
class QPainter;
class QWidget;

namespace tn {

class THighlightImage;

// The link carousel on the main window: the controls that show the LinkCarousel state and the two
// timers that drive it. Every event goes to the state machine; the view then moves the slots, sets
// the pictures and mirrors the timers.
class CarouselView final : public QObject {
    Q_OBJECT
public:
    struct Hooks {
        std::function<bool()> link_scroll_checked;  // LinkScrollEnableCheckBox
        std::function<bool()> line6_yes;            // settings line 6 is "yes"
        std::function<PopUpContext()> popup_context;
        std::function<void(const std::string& url)> open;  // the browser pane's navigate
        std::function<void()> show_link_panel;
        // Paints the window's background under a rectangle (window coordinates), for the blank-outs.
        std::function<void(QPainter&, const QRect&)> paint_background;
    };

    CarouselView(QWidget* window, std::string data_dir, Hooks hooks);

    // Places the controls for the screen; the slots take their starting positions.
    void layout(int screen_width, int screen_height);
    void load(const SiteColumns& sites);
    void reloadAfterSettingsSave(const SiteColumns& sites);
    void setScrollTimerEnabled(bool enabled);
    void setVisible(bool visible);  // the carousel's controls, without touching the timers

    LinkCarousel& state() { return carousel_; }
    const LinkCarousel& state() const { return carousel_; }
    int slotHeight() const { return slot_height_; }

    QTimer ScrollTimer;
    QTimer ReverseScrollTimer;
    std::array<THighlightImage*, LinkCarousel::kSlotCount> LinkScrollImages{};  // LinkScrollImage01 .. 05
    THighlightImage* LeftArrow = nullptr;
    THighlightImage* RightArrow = nullptr;
    QWidget* LeftBlankOut = nullptr;
    QWidget* RightBlankOut = nullptr;
    QLabel* LinkTitleLabel = nullptr;

private:
    bool loadThumbnail(const std::string& name, int slot);
    void apply(const CarouselReaction& reaction, THighlightImage* arrow, bool left);
    void sync();  // slot positions and both timers from the state
    void connectArrow(THighlightImage* arrow, CarouselArrow which);
    void connectSlot(int slot);

    QWidget* window_;
    std::string data_dir_;
    Hooks hooks_;
    LinkCarousel carousel_;
    int slot_height_ = 60;
    int title_right_ = 0;
    QPixmap left_normal_, left_dark_, right_normal_, right_dark_;
    QHash<QString, QPixmap> thumbnails_;  // decoded once per load, at slot size
};

}  // namespace tn
