#include "websites/carousel_view.h"

#include <QGraphicsDropShadowEffect>
#include <QLabel>
#include <QPainter>

#include "core/artwork.h"
#include "websites/highlight_image.h"

namespace tn {
namespace {

// A strip that repaints the window's background, so the slots vanish behind it at both ends.
class BlankOut final : public QWidget {
public:
    BlankOut(QWidget* parent, std::function<void(QPainter&, const QRect&)> paint)
        : QWidget(parent), paint_(std::move(paint)) {}

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.translate(-pos());
        if (paint_) paint_(p, geometry());
    }

private:
    std::function<void(QPainter&, const QRect&)> paint_;
};

QRect toQRect(const Rect& r) {
    return {r.left, r.top, r.width, r.height};
}

}  // namespace

CarouselView::CarouselView(QWidget* window, std::string data_dir, Hooks hooks)
    : QObject(window),
      window_(window),
      data_dir_(std::move(data_dir)),
      hooks_(std::move(hooks)),
      carousel_([this](const std::string& name, int slot) { return loadThumbnail(name, slot); }) {
    // Created bottom to top: the slots, the blank-outs, the title, the arrows.
    for (int k = 0; k < LinkCarousel::kSlotCount; ++k) {
        auto* slot = new THighlightImage(window);
        slot->setObjectName(QStringLiteral("LinkScrollImage0%1").arg(k + 1));
        slot->setPixmap(artwork::placeholder(LinkCarousel::kSlotWidth, 60));
        LinkScrollImages[static_cast<std::size_t>(k)] = slot;
        connectSlot(k + 1);
    }
    LeftBlankOut = new BlankOut(window, hooks_.paint_background);
    LeftBlankOut->setObjectName(QStringLiteral("LeftBlankOut"));
    RightBlankOut = new BlankOut(window, hooks_.paint_background);
    RightBlankOut->setObjectName(QStringLiteral("RightBlankOut"));

    LinkTitleLabel = new QLabel(window);
    LinkTitleLabel->setObjectName(QStringLiteral("LinkTitleLabel"));
    LinkTitleLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    LinkTitleLabel->setStyleSheet(QStringLiteral("color: yellow; font-weight: bold; font-size: 13px;"));
    LinkTitleLabel->setAttribute(Qt::WA_TransparentForMouseEvents);
    // Yellow on the light sky needs an outline to be read.
    auto* shadow = new QGraphicsDropShadowEffect(LinkTitleLabel);
    shadow->setOffset(1, 1);
    shadow->setBlurRadius(3);
    shadow->setColor(QColor(60, 40, 0));
    LinkTitleLabel->setGraphicsEffect(shadow);

    left_normal_ = artwork::arrow(true, 44, 50, false);
    left_dark_ = artwork::arrow(true, 44, 50, true);
    right_normal_ = artwork::arrow(false, 44, 50, false);
    right_dark_ = artwork::arrow(false, 44, 50, true);
    LeftArrow = new THighlightImage(window);
    LeftArrow->setObjectName(QStringLiteral("LeftArrow"));
    LeftArrow->setToolTip(QStringLiteral("Scroll Left"));
    LeftArrow->setPixmap(left_normal_);
    RightArrow = new THighlightImage(window);
    RightArrow->setObjectName(QStringLiteral("RightArrow"));
    RightArrow->setToolTip(QStringLiteral("Scroll Right"));
    RightArrow->setPixmap(right_normal_);
    connectArrow(LeftArrow, CarouselArrow::Left);
    connectArrow(RightArrow, CarouselArrow::Right);

    ScrollTimer.setInterval(LinkCarousel::kNormalIntervalMs);
    ReverseScrollTimer.setInterval(LinkCarousel::kNormalIntervalMs);
    ScrollTimer.setTimerType(Qt::PreciseTimer);
    ReverseScrollTimer.setTimerType(Qt::PreciseTimer);
    connect(&ScrollTimer, &QTimer::timeout, this, [this] {
        carousel_.forwardTick(hooks_.link_scroll_checked());
        sync();
    });
    connect(&ReverseScrollTimer, &QTimer::timeout, this, [this] {
        carousel_.reverseTick(hooks_.line6_yes());
        sync();
    });
}

void CarouselView::connectSlot(int k) {
    THighlightImage* slot = LinkScrollImages[static_cast<std::size_t>(k - 1)];
    connect(slot, &THighlightImage::mouseMoved, this,
            [this, k] { apply(carousel_.slotMove(k), nullptr, false); });
    connect(slot, &THighlightImage::mouseEntered, this,
            [this, k] { apply(carousel_.slotEnter(k, hooks_.popup_context()), nullptr, false); });
    connect(slot, &THighlightImage::mouseLeft, this,
            [this, k] { apply(carousel_.slotLeave(k, hooks_.link_scroll_checked()), nullptr, false); });
    connect(slot, &THighlightImage::clicked, this,
            [this, k] { hooks_.open(carousel_.clickSlot(k, data_dir_)); });
}

void CarouselView::connectArrow(THighlightImage* arrow, CarouselArrow which) {
    const bool left = which == CarouselArrow::Left;
    connect(arrow, &THighlightImage::mousePressed, this,
            [=, this] { apply(carousel_.arrowDown(which), arrow, left); });
    connect(arrow, &THighlightImage::mouseReleased, this,
            [=, this] { apply(carousel_.arrowUp(which), arrow, left); });
    connect(arrow, &THighlightImage::clicked, this,
            [=, this] { apply(carousel_.arrowClick(which), arrow, left); });
    connect(arrow, &THighlightImage::mouseEntered, this,
            [=, this] { apply(carousel_.arrowEnter(which, hooks_.popup_context()), arrow, left); });
    connect(arrow, &THighlightImage::mouseLeft, this,
            [=, this] { apply(carousel_.arrowLeave(which, hooks_.link_scroll_checked()), arrow, left); });
}

void CarouselView::apply(const CarouselReaction& r, THighlightImage* arrow, bool left) {
    if (r.title_label) {
        LinkTitleLabel->setText(QString::fromStdString(*r.title_label));
        LinkTitleLabel->adjustSize();
        // Right-justified: the right edge stays, a longer title grows to the left.
        LinkTitleLabel->move(title_right_ - LinkTitleLabel->width(), LinkTitleLabel->y());
    }
    if (arrow && r.arrow_picture != ArrowPicture::Unchanged) {
        const bool dark = r.arrow_picture == ArrowPicture::Dark;
        arrow->setPixmap(left ? (dark ? left_dark_ : left_normal_) : (dark ? right_dark_ : right_normal_));
    }
    if (r.show_link_panel && hooks_.show_link_panel) hooks_.show_link_panel();
    sync();
}

void CarouselView::layout(int screen_width, int screen_height) {
    const CarouselLayout l = carousel_.layout(screen_width, screen_height);
    slot_height_ = l.slots[0].height;
    for (std::size_t k = 0; k < LinkScrollImages.size(); ++k)
        LinkScrollImages[k]->setGeometry(toQRect(l.slots[k]));
    LeftArrow->setGeometry(toQRect(l.left_arrow));
    RightArrow->setGeometry(toQRect(l.right_arrow));
    LeftBlankOut->setGeometry(toQRect(l.left_blank_out));
    RightBlankOut->setGeometry(toQRect(l.right_blank_out));
    title_right_ = l.title_label_left;
    LinkTitleLabel->setGeometry(title_right_, l.title_label_top, 0, 16);
    thumbnails_.clear();
}

bool CarouselView::loadThumbnail(const std::string& name, int slot) {
    const QString key = QString::fromStdString(name);
    auto it = thumbnails_.find(key);
    if (it == thumbnails_.end()) {
        QPixmap picture(QString::fromStdString(data_dir_ + "files/links/" + name));
        if (picture.isNull()) return false;
        // Scaled once to the slot's size, so scrolling only copies pixels.
        it = thumbnails_.insert(key, picture.scaled(LinkCarousel::kSlotWidth, slot_height_,
                                                    Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    }
    LinkScrollImages[static_cast<std::size_t>(slot - 1)]->setPixmap(*it);
    return true;
}

void CarouselView::load(const SiteColumns& sites) {
    thumbnails_.clear();  // pictures may have changed on disk since the last load
    carousel_.load(sites);
    sync();
}

void CarouselView::reloadAfterSettingsSave(const SiteColumns& sites) {
    thumbnails_.clear();
    carousel_.reloadAfterSettingsSave(sites);
    sync();
}

void CarouselView::setScrollTimerEnabled(bool enabled) {
    carousel_.setScrollTimerEnabled(enabled);
    sync();
}

void CarouselView::setVisible(bool visible) {
    for (auto* s : LinkScrollImages)
        s->setVisible(visible);
    for (QWidget* w : std::initializer_list<QWidget*>{LeftArrow, RightArrow, LeftBlankOut, RightBlankOut,
                                                      LinkTitleLabel}) {
        w->setVisible(visible);
    }
}

void CarouselView::sync() {
    for (int k = 1; k <= LinkCarousel::kSlotCount; ++k) {
        THighlightImage* s = LinkScrollImages[static_cast<std::size_t>(k - 1)];
        const int left = carousel_.slot(k).left;
        if (s->x() != left) s->move(left, s->y());
    }
    // Changing a running timer's interval restarts it, so only real changes are passed on.
    const auto mirror = [](QTimer& timer, const TimerState& state) {
        if (timer.interval() != state.interval_ms) timer.setInterval(state.interval_ms);
        if (state.enabled && !timer.isActive()) timer.start();
        if (!state.enabled && timer.isActive()) timer.stop();
    };
    mirror(ScrollTimer, carousel_.scrollTimer());
    mirror(ReverseScrollTimer, carousel_.reverseScrollTimer());
}

}  // namespace tn
