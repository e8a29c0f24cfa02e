#include "websites/link_panel.h"

#include "websites/link_carousel.h"

namespace tn {
namespace {

std::string errorLine(int code) {
    return "error 000" + std::to_string(code);
}

int count(const TextList& list) {
    return static_cast<int>(list.size());
}

// Previous page, images 2 .. 6; image 1 has its own two codes.
int previousPageCode(int image) {
    return 234 + image;
}
constexpr int kPreviousPageFirstImage = 234;
constexpr int kPreviousPageFirstImageAfterReset = 235;
// Reading the title under the pointer, images 1 .. 6. Image 4 reports 247 here because 244 is
// already taken by the failure to open its link.
constexpr std::array<int, LinkPanel::kImageCount> kHoverCodes = {241, 242, 243, 247, 245, 246};
constexpr int kImage4OpenCode = 244;

}  // namespace

LinkPanel::LinkPanel(const SiteColumns& sites, std::string data_dir, PictureLoader loader)
    : sites_(&sites), data_dir_(std::move(data_dir)), loader_(std::move(loader)) {}

LinkPanelLayout LinkPanel::layout(int screen_width) {
    LinkPanelLayout out;
    out.panel = {screen_width / 2 - 425, 4, 850, 220};
    out.image_panel = {850 / 2 - 800 / 2, 4, 800, 177};
    for (int k = 0; k < kImageCount; ++k) {
        out.images[static_cast<std::size_t>(k)] = {32 + 124 * k, 9, 120, 160};
    }
    out.previous_arrow = {8, 48, 17, 73};
    out.next_arrow = {775, 48, 17, 73};
    return out;
}

std::optional<std::string> LinkPanel::show(int image, int entry) {
    const std::string name(sites_->thumbnails[static_cast<std::size_t>(entry)]);
    if (loader_) {
        if (auto error = loader_(name, image)) return error;
    }
    shown_[static_cast<std::size_t>(image - 1)] = static_cast<std::size_t>(entry);
    return std::nullopt;
}

PageResult LinkPanel::nextPage() {
    PageResult out;
    out.performed = true;
    const int n = count(sites_->thumbnails);
    if (cursor_ - 6 >= 0) button16_ = true;
    int start = cursor_;
    if (start >= n) start = cursor_ = 0;  // past the last page: back to the first

    if (n == 0) {
        blank(1);
    } else if (auto error = show(1, start)) {
        out.message = std::move(error);
        return out;
    }
    for (int k = 1; k < kImageCount; ++k) {
        if (start + k < n) {
            if (auto error = show(k + 1, start + k)) {
                out.message = std::move(error);
                return out;
            }
        } else {
            button17_ = false;
            blank(k + 1);
        }
    }
    cursor_ = start + kImageCount;
    return out;
}

PageResult LinkPanel::previousPage() {
    PageResult out;
    out.performed = true;
    const int n = count(sites_->thumbnails);
    if (cursor_ - 12 >= 0) cursor_ -= 12;
    if (cursor_ + 6 < n) button17_ = true;
    if (cursor_ < 1) button16_ = false;

    if (cursor_ < n) {
        if (show(1, cursor_)) out.error_lines.push_back(errorLine(kPreviousPageFirstImage));
    } else {
        cursor_ = 0;
        if (n == 0) {
            blank(1);
        } else if (show(1, 0)) {
            out.error_lines.push_back(errorLine(kPreviousPageFirstImageAfterReset));
        }
    }
    for (int k = 1; k < kImageCount; ++k) {
        if (cursor_ + k < n) {
            if (show(k + 1, cursor_ + k)) out.error_lines.push_back(errorLine(previousPageCode(k + 1)));
        } else {
            button17_ = false;
            blank(k + 1);
        }
    }
    cursor_ += kImageCount;
    return out;
}

PageResult LinkPanel::image4Click() {
    return button16_ ? previousPage() : PageResult{};
}

PageResult LinkPanel::image5Click() {
    return button17_ ? nextPage() : PageResult{};
}

ImageClick LinkPanel::clickImage(int image) const {
    ImageClick out;
    if (!validImage(image)) return out;
    const int i = entryOf(image);
    if (i >= count(sites_->links)) return out;  // a blank image: the panel only closes
    if (i < 0) {
        // Nothing to open before the start of the list; only image 4 has ever recorded it.
        if (image == 4) out.error_line = errorLine(kImage4OpenCode);
        return out;
    }
    out.address = siteAddress(sites_->links[static_cast<std::size_t>(i)], data_dir_);
    return out;
}

std::optional<std::string> LinkPanel::hoverImage(int image) {
    if (!validImage(image)) return std::nullopt;
    const int i = entryOf(image);
    if (i >= count(sites_->titles)) return std::nullopt;
    if (i < 0) return errorLine(kHoverCodes[static_cast<std::size_t>(image - 1)]);
    link_label2_ = sites_->titles[static_cast<std::size_t>(i)];
    return std::nullopt;
}

std::optional<std::size_t> LinkPanel::shownEntry(int image) const {
    if (!validImage(image)) return std::nullopt;
    return shown_[static_cast<std::size_t>(image - 1)];
}

}  // namespace tn
