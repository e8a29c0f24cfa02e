#pragma once

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/screen_layout.h"
#include "websites/site_record.h"

namespace tn {

// Where the large link panel's controls go. Each rectangle is in its parent's coordinates.
struct LinkPanelLayout {
    Rect panel;                  // LinkPanel, in the window: 850 × 220, centred at the top
    Rect image_panel;            // LinkImagePanel, inside LinkPanel
    std::array<Rect, 6> images;  // LinkImage001 .. LinkImage006, inside LinkImagePanel
    Rect previous_arrow;         // Image4, inside LinkImagePanel
    Rect next_arrow;             // Image5, inside LinkImagePanel
};

// What the form does after a paging operation, besides repainting the blank images (see LinkPanel).
struct PageResult {
    bool performed = false;  // false: the arrow's button is disabled and nothing happened
    // Next page stopped at a picture that would not load: the loader's text, for a message box.
    std::optional<std::string> message;
    // Previous page: one line per picture that would not load, for ErrorMessageMemo, in order.
    std::vector<std::string> error_lines;
};

// What the form does after a click on one of the six images.
struct ImageClick {
    std::optional<std::string> address;     // hand to the browser pane's navigate operation
    std::optional<std::string> error_line;  // append to ErrorMessageMemo
    bool hide_panel = true;                 // LinkPanel closes after every image click
};

// The large link panel: six big thumbnails of the site list, paged six at a time, with the hovered
// site's title underneath. Images are numbered 1 to 6 from the left, like LinkImage001 .. 006; an
// index outside 1 .. 6 is ignored.
//
// The cursor is the index in the column lists just past the page shown: image k shows entry
// cursor − 7 + k. Button16 and Button17 are the hidden "<" and ">" buttons whose enabled state
// decides whether the arrow pictures page at all. The panel reads the column lists when it is used
// and never follows their changes by itself: after an edit it shows the old pictures until the next
// page, while clicks and titles already use the edited lists at the same indexes.
//
// The form mirrors the images after every paging call: an image whose shownEntry() is empty gets the
// empty picture; the others already received theirs through the picture loader, and an image whose
// picture failed keeps what it showed, as shownEntry() does.
class LinkPanel {
public:
    static constexpr int kImageCount = 6;

    // Loads "files/links/<thumbnail_name>" of the data directory into image (1..6): nullopt when it
    // loaded, otherwise the error text (a missing file, an unreadable picture).
    using PictureLoader =
        std::function<std::optional<std::string>(const std::string& thumbnail_name, int image)>;

    // sites: the column lists of the main window, which must outlive the panel. data_dir may end
    // with "/" or not. Without a loader every picture loads. The start state: cursor 0, Button16
    // disabled, Button17 enabled, every image blank, LinkLabel2 empty.
    LinkPanel(const SiteColumns& sites, std::string data_dir, PictureLoader loader = {});

    static LinkPanelLayout layout(int screen_width);

    // Button17: shows the six entries from the cursor on, wrapping to the first page past the end.
    // A picture that fails stops the operation there with the loader's text in the result; the
    // cursor then keeps the value it had (0 after a wrap).
    PageResult nextPage();
    // Button16: shows the page before the one shown. A picture that fails keeps its old picture, adds
    // its error line to the result and the operation goes on.
    PageResult previousPage();
    // The arrow pictures: each pages only while its button is enabled.
    PageResult image4Click();  // previous page
    PageResult image5Click();  // next page

    // The address the clicked image's site opens, or none when the image shows no site. For image 4
    // a failure to open (its index lies before the list) is recorded as "error 000244".
    ImageClick clickImage(int image) const;
    // The pointer moves over an image: LinkLabel2 shows its site's title. An image past the end of the
    // list leaves the label as it is. The result is an error line for ErrorMessageMemo when the title
    // cannot be read, which happens only while the cursor is below 6 (the first page failed to load,
    // or a wrap did), so the image's index lies before the list; the label then keeps its text.
    std::optional<std::string> hoverImage(int image);
    // The pointer moves over LinkImagePanel between the images: LinkLabel2 is cleared.
    void hoverBetween() { link_label2_.clear(); }

    int cursor() const { return cursor_; }
    bool button16Enabled() const { return button16_; }
    bool button17Enabled() const { return button17_; }
    // The entry of the column lists whose picture image (1..6) shows; nullopt when it is blank.
    std::optional<std::size_t> shownEntry(int image) const;
    const std::string& linkLabel2() const { return link_label2_; }

private:
    static bool validImage(int image) { return image >= 1 && image <= kImageCount; }
    std::optional<std::string> show(int image, int entry);
    void blank(int image) { shown_[static_cast<std::size_t>(image - 1)].reset(); }
    int entryOf(int image) const { return cursor_ - 7 + image; }

    const SiteColumns* sites_;
    std::string data_dir_;
    PictureLoader loader_;
    int cursor_ = 0;
    bool button16_ = false;  // Button16
    bool button17_ = true;   // Button17
    std::array<std::optional<std::size_t>, kImageCount> shown_;
    std::string link_label2_;  // LinkLabel2
};

}  // namespace tn
