#pragma once

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "core/screen_layout.h"
#include "core/text_list.h"
#include "websites/site_record.h"

namespace tn {

// The address a site opens: the local home page (data_dir + "files/index.htm") for the home marker,
// otherwise the link exactly as stored, even when it is empty; the browser pane filters it.
// data_dir may end with "/" or not.
std::string siteAddress(std::string_view link, std::string_view data_dir);

// Whether entering a carousel thumbnail or arrow opens the large link panel: only with the large
// link pop-up switched on and while the password prompt is not on screen.
struct PopUpContext {
    bool large_link_popup_checked = false;  // LargeLinkPopUpCheckBox
    bool password_prompt_visible = false;
};
bool largeLinkPopUp(const PopUpContext& context);

// On/off and interval of one of the carousel's timers. The form copies this onto its QTimer after
// every call that may change it (every operation below except layout and clickSlot).
struct TimerState {
    bool enabled = false;
    int interval_ms = 33;
    bool operator==(const TimerState&) const = default;
};

// One of the five thumbnails of the strip.
struct CarouselSlot {
    int left = 0;  // left edge in window coordinates; the only coordinate that ever moves
    std::string link;
    std::string title;
    // Thumbnail name of the last picture that loaded; empty while the slot still shows its built-in
    // placeholder. A failed load leaves it (and the picture on screen) as it was.
    std::string picture;
};

// Where the carousel's controls go for a screen of W × H pixels (window coordinates).
struct CarouselLayout {
    std::array<Rect, 5> slots;  // LinkScrollImage01 .. LinkScrollImage05
    Rect left_arrow;            // LeftArrow
    Rect right_arrow;           // RightArrow
    Rect left_blank_out;        // LeftBlankOut
    Rect right_blank_out;       // RightBlankOut
    // LinkTitleLabel's left edge and top at layout time. The label is right-justified and sized to
    // its text, so the form keeps its right edge where this puts it and lets longer titles grow left.
    int title_label_left = 0;
    int title_label_top = 8;
    int left_wrap_limit = 0;
};

enum class CarouselArrow { Left, Right };
enum class ArrowPicture { Unchanged, Normal, Dark };

// What the form does in answer to a mouse event, besides mirroring the two timers.
struct CarouselReaction {
    bool show_link_panel = false;                          // make LinkPanel visible
    std::optional<std::string> title_label;                // new LinkTitleLabel caption; "" clears it
    ArrowPicture arrow_picture = ArrowPicture::Unchanged;  // for the arrow that got the event
    bool operator==(const CarouselReaction&) const = default;
};

// The strip of five site thumbnails between two arrows at the top of the web tab: its slot
// positions, the queue of sites waiting to scroll in, and the two timers that drive it.
//
// The forward timer (ScrollTimer) moves the strip left; a slot that passes the left wrap limit jumps
// to the right end and takes the next site from the queue. The reverse timer (ReverseScrollTimer)
// runs only during a fast phase to the right, started by the left arrow. Both share one step (pixels
// per tick) and one fast-scroll countdown. Slots are numbered 1 to 5 from the left as laid out,
// matching LinkScrollImage01 .. 05; an index outside 1 .. 5 is ignored.
//
// The form owns the pictures: the carousel asks it to load one through the thumbnail loader and
// records the outcome. Everything else is state here, so every sequence can run without a window.
class LinkCarousel {
public:
    static constexpr int kSlotCount = 5;
    static constexpr int kSlotWidth = 60;
    static constexpr int kBlankOutWidth = 80;
    static constexpr int kNormalIntervalMs = 33;
    static constexpr int kFastIntervalMs = 1;
    static constexpr int kFastForwardTicks = 47;  // right arrow: 47 × 6 pixels to the left
    static constexpr int kFastReverseTicks = 49;  // left arrow: 49 × 6 pixels to the right
    static constexpr int kFastStep = 6;

    // Loads the thumbnail file "files/links/<thumbnail_name>" of the data directory into slot (1..5);
    // false when the file is missing or not a picture, and the slot must keep what it showed.
    using ThumbnailLoader = std::function<bool(const std::string& thumbnail_name, int slot)>;

    // The start-up state: step −1, no fast phase, both timers off at 33 ms, empty queues, the
    // resume-after-save flag clear. Without a loader every picture counts as loaded.
    explicit LinkCarousel(ThumbnailLoader loader = {});

    // Places the controls for a W × H screen and puts the slots at their starting positions. Also
    // fixes the two edges the ticks compare against: the left wrap limit and RightArrow's left edge.
    CarouselLayout layout(int screen_width, int screen_height, int arrow_width = 44, int arrow_height = 50);

    // Shows sites 0 to 4 of the column lists in slots 1 to 5 where they stand. With more than five
    // sites the queues are rebuilt (sites 5 .. N−1, then 0 .. 4), ScrollTimer is switched on whatever
    // the scrolling setting (the first tick corrects it) and the resume-after-save flag is set. With
    // 1 to 5 sites only slots 1 to N change; with none, nothing does. Never moves a slot or touches the
    // step or the countdown. The three columns must be of equal length.
    void load(const SiteColumns& sites);

    // After a settings save: the queues become copies of the columns, ScrollTimer is switched on when
    // the resume-after-save flag is set, then load(). With five or fewer sites the strip thus goes on
    // rotating the copied columns, and with none it stands still.
    void reloadAfterSettingsSave(const SiteColumns& sites);

    // One ScrollTimer event. link_scroll_checked: LinkScrollEnableCheckBox.
    void forwardTick(bool link_scroll_checked);
    // One ReverseScrollTimer event. line6_yes: line 6 of the settings file is "yes".
    void reverseTick(bool line6_yes);

    // Other parts of the window (tab switches, the administration panel, the play timer) switch
    // ScrollTimer on and off directly.
    void setScrollTimerEnabled(bool enabled) { scroll_timer_.enabled = enabled; }

    CarouselReaction arrowDown(CarouselArrow arrow);
    CarouselReaction arrowUp(CarouselArrow arrow);
    CarouselReaction arrowClick(CarouselArrow arrow);
    CarouselReaction arrowEnter(CarouselArrow arrow, const PopUpContext& context);
    CarouselReaction arrowLeave(CarouselArrow arrow, bool link_scroll_checked);

    CarouselReaction slotMove(int slot);
    CarouselReaction slotEnter(int slot, const PopUpContext& context);
    CarouselReaction slotLeave(int slot, bool link_scroll_checked);
    // The address to hand to the browser pane's navigate operation for a click on slot (1..5). A slot
    // that never received a site has an empty link, and the empty address is returned so that the
    // pane's navigate decides, as for any other link; empty also for an index outside 1 .. 5.
    std::string clickSlot(int slot, std::string_view data_dir) const;

    const CarouselSlot& slot(int slot) const;  // 1..5
    int step() const { return step_; }
    int fastCountdown() const { return countdown_; }
    int leftWrapLimit() const { return left_wrap_limit_; }
    int rightArrowLeft() const { return right_arrow_left_; }
    bool resumeAfterSave() const { return resume_after_save_; }
    const TextList& titleQueBox() const { return title_que_; }
    const TextList& linkQueBox() const { return link_que_; }
    const TextList& imageQueBox() const { return image_que_; }
    const TimerState& scrollTimer() const { return scroll_timer_; }
    const TimerState& reverseScrollTimer() const { return reverse_scroll_timer_; }

private:
    static bool validSlot(int slot) { return slot >= 1 && slot <= kSlotCount; }
    CarouselSlot& at(int slot) { return slots_[static_cast<std::size_t>(slot - 1)]; }
    void showSite(int slot, std::string_view title, std::string_view link, std::string_view thumbnail);
    bool queuesEmpty() const { return image_que_.empty(); }
    void moveSlots();

    ThumbnailLoader loader_;
    std::array<CarouselSlot, kSlotCount> slots_;
    int step_ = -1;
    int countdown_ = 0;
    int left_wrap_limit_ = 0;
    int right_arrow_left_ = 0;
    bool resume_after_save_ = false;
    TextList title_que_;               // TitleQueBox
    TextList link_que_;                // LinkQueBox
    TextList image_que_;               // ImageQueBox
    TimerState scroll_timer_;          // ScrollTimer
    TimerState reverse_scroll_timer_;  // ReverseScrollTimer
};

}  // namespace tn
