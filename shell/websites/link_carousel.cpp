#include "websites/link_carousel.h"

#include <algorithm>

namespace tn {

std::string siteAddress(std::string_view link, std::string_view data_dir) {
    if (link != kHomeMarker) return std::string(link);
    std::string address(data_dir);
    if (!address.empty() && address.back() != '/') address.push_back('/');
    return address.append("files/index.htm");
}

bool largeLinkPopUp(const PopUpContext& context) {
    return context.large_link_popup_checked && !context.password_prompt_visible;
}

LinkCarousel::LinkCarousel(ThumbnailLoader loader) : loader_(std::move(loader)) {}

CarouselLayout LinkCarousel::layout(int screen_width, int screen_height, int arrow_width, int arrow_height) {
    CarouselLayout out;
    const int height = roundHalfEven(screen_height * 0.078);
    const int centre = roundHalfEven(screen_width * 0.5);
    const int window_left = centre + arrow_width;  // first pixel right of LeftArrow

    out.left_arrow = {centre, 16, arrow_width, arrow_height};
    out.left_blank_out = {window_left - kBlankOutWidth, 0, kBlankOutWidth, height};
    // The window between the arrows is four slots wide; the fifth slot starts under RightArrow.
    const int right_left = 4 * (kSlotWidth + 1) + window_left;
    out.right_arrow = {right_left, 16, arrow_width, arrow_height};
    out.right_blank_out = {right_left, 0, kBlankOutWidth, height};
    for (int k = 0; k < kSlotCount; ++k) {
        const int left = window_left + k * (kSlotWidth + 1);
        out.slots[static_cast<std::size_t>(k)] = {left, 0, kSlotWidth, height};
        slots_[static_cast<std::size_t>(k)].left = left;
    }
    out.title_label_left = centre - 10;
    // A slot wraps once it lies entirely behind the left blank-out.
    out.left_wrap_limit = window_left - kSlotWidth;

    left_wrap_limit_ = out.left_wrap_limit;
    right_arrow_left_ = right_left;
    return out;
}

void LinkCarousel::showSite(int slot, std::string_view title, std::string_view link,
                            std::string_view thumbnail) {
    CarouselSlot& s = at(slot);
    s.title = title;
    s.link = link;
    std::string name(thumbnail);
    if (!loader_ || loader_(name, slot)) s.picture = std::move(name);
}

void LinkCarousel::load(const SiteColumns& sites) {
    const std::size_t n = std::min({sites.titles.size(), sites.links.size(), sites.thumbnails.size()});
    if (n == 0) return;
    const std::size_t shown = std::min<std::size_t>(n, kSlotCount);
    for (std::size_t i = 0; i < shown; ++i) {
        showSite(static_cast<int>(i) + 1, sites.titles[i], sites.links[i], sites.thumbnails[i]);
    }
    if (n <= kSlotCount) return;

    // The queue holds every site, the next to enter on the right first and the five on screen last.
    title_que_.clear();
    link_que_.clear();
    image_que_.clear();
    for (std::size_t j = 0; j < n; ++j) {
        const std::size_t i = (j + kSlotCount) % n;
        title_que_.append(sites.titles[i]);
        link_que_.append(sites.links[i]);
        image_que_.append(sites.thumbnails[i]);
    }
    scroll_timer_.enabled = true;
    resume_after_save_ = true;
}

void LinkCarousel::reloadAfterSettingsSave(const SiteColumns& sites) {
    title_que_ = sites.titles;
    link_que_ = sites.links;
    image_que_ = sites.thumbnails;
    if (resume_after_save_) scroll_timer_.enabled = true;
    load(sites);
}

void LinkCarousel::moveSlots() {
    for (CarouselSlot& s : slots_)
        s.left += step_;
}

void LinkCarousel::forwardTick(bool link_scroll_checked) {
    if (countdown_ < 1) {
        // The end of a fast phase (or an ordinary tick): back to normal scrolling, or to a standstill
        // after this last move when scrolling is switched off.
        scroll_timer_.enabled = link_scroll_checked;
        scroll_timer_.interval_ms = kNormalIntervalMs;
        step_ = -1;
    } else {
        --countdown_;
    }
    if (queuesEmpty()) return;
    moveSlots();
    for (int k = 1; k <= kSlotCount; ++k) {
        CarouselSlot& s = at(k);
        if (s.left > left_wrap_limit_) continue;
        // Just right of the left neighbour in the ring, which is the rightmost slot at this moment.
        s.left = at(k == 1 ? kSlotCount : k - 1).left + kSlotWidth + 1;
        // The next site leaves the front of the queue for its back, where it counts as on screen.
        const std::string title(title_que_[0]);
        const std::string link(link_que_[0]);
        const std::string thumbnail(image_que_[0]);
        title_que_.erase(0);
        link_que_.erase(0);
        image_que_.erase(0);
        title_que_.append(title);
        link_que_.append(link);
        image_que_.append(thumbnail);
        showSite(k, title, link, thumbnail);
    }
}

void LinkCarousel::reverseTick(bool line6_yes) {
    if (countdown_ < 1) {
        // The fast reverse phase is over: forward scrolling takes over again, if it is switched on.
        scroll_timer_.interval_ms = kNormalIntervalMs;
        step_ = -1;
        scroll_timer_.enabled = line6_yes;
        reverse_scroll_timer_.enabled = false;
    } else {
        --countdown_;
    }
    if (queuesEmpty()) return;
    moveSlots();
    for (int k = 1; k <= kSlotCount; ++k) {
        CarouselSlot& s = at(k);
        if (s.left < right_arrow_left_) continue;
        // Just left of the right neighbour in the ring, which is the leftmost slot at this moment.
        s.left = at(k == kSlotCount ? 1 : k + 1).left - kSlotWidth - 1;
        // The last queue entry (normally the site this slot already showed) moves to the front; the
        // queue is then ready for forward scrolling again and no new site comes in.
        const std::size_t last = image_que_.size() - 1;
        const std::string title(title_que_[last]);
        const std::string link(link_que_[last]);
        const std::string thumbnail(image_que_[last]);
        title_que_.erase(last);
        link_que_.erase(last);
        image_que_.erase(last);
        title_que_.insert(0, title);
        link_que_.insert(0, link);
        image_que_.insert(0, thumbnail);
        showSite(k, title, link, thumbnail);
    }
}

CarouselReaction LinkCarousel::arrowDown(CarouselArrow arrow) {
    if (arrow == CarouselArrow::Right) {
        // Holding the right arrow creeps the strip rightwards at timer speed until the click.
        step_ = 1;
        scroll_timer_.interval_ms = kFastIntervalMs;
    }
    CarouselReaction out;
    out.arrow_picture = ArrowPicture::Dark;
    return out;
}

CarouselReaction LinkCarousel::arrowUp(CarouselArrow) {
    CarouselReaction out;
    out.arrow_picture = ArrowPicture::Normal;
    return out;
}

CarouselReaction LinkCarousel::arrowClick(CarouselArrow arrow) {
    if (arrow == CarouselArrow::Left) {
        scroll_timer_.enabled = false;
        reverse_scroll_timer_.enabled = true;
        step_ = kFastStep;
        reverse_scroll_timer_.interval_ms = kFastIntervalMs;
        countdown_ = kFastReverseTicks;
    } else {
        reverse_scroll_timer_.enabled = false;
        step_ = -kFastStep;
        scroll_timer_.interval_ms = kFastIntervalMs;
        countdown_ = kFastForwardTicks;
        scroll_timer_.enabled = true;
    }
    return {};
}

CarouselReaction LinkCarousel::arrowEnter(CarouselArrow, const PopUpContext& context) {
    CarouselReaction out;
    out.show_link_panel = largeLinkPopUp(context);
    return out;
}

CarouselReaction LinkCarousel::arrowLeave(CarouselArrow, bool link_scroll_checked) {
    if (link_scroll_checked) scroll_timer_.enabled = true;
    return {};
}

CarouselReaction LinkCarousel::slotMove(int slot) {
    if (!validSlot(slot)) return {};
    // The strip stands while the pointer moves over a thumbnail, so the child can click it.
    scroll_timer_.enabled = false;
    CarouselReaction out;
    out.title_label = at(slot).title;
    return out;
}

CarouselReaction LinkCarousel::slotEnter(int slot, const PopUpContext& context) {
    if (!validSlot(slot)) return {};
    CarouselReaction out;
    out.show_link_panel = largeLinkPopUp(context);
    out.title_label = at(slot).title;
    return out;
}

CarouselReaction LinkCarousel::slotLeave(int slot, bool link_scroll_checked) {
    if (!validSlot(slot)) return {};
    if (link_scroll_checked) scroll_timer_.enabled = true;
    CarouselReaction out;
    out.title_label = std::string();
    return out;
}

std::string LinkCarousel::clickSlot(int slot, std::string_view data_dir) const {
    if (!validSlot(slot)) return {};
    return siteAddress(slots_[static_cast<std::size_t>(slot - 1)].link, data_dir);
}

const CarouselSlot& LinkCarousel::slot(int slot) const {
    static const CarouselSlot kNone;
    return validSlot(slot) ? slots_[static_cast<std::size_t>(slot - 1)] : kNone;
}

}  // namespace tn
