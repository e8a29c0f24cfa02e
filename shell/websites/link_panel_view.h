#pragma once

#include <QFrame>
#include <array>
#include <functional>
#include <string>

#include "websites/link_panel.h"

class QLabel;
class QPushButton;

namespace tn {

class THighlightImage;

// The large link panel on the main window: six big thumbnails of the site list with paging arrows,
// the hovered site's title and a close button. The paging rules are LinkPanel's; this class shows
// its state and reports what it asks for.
class LinkPanelView final : public QFrame {
    Q_OBJECT
public:
    struct Hooks {
        std::function<void(const std::string& url)> open;         // the browser pane's navigate
        std::function<void(const std::string& line)> error_line;  // appended to the error log
        std::function<void(const std::string& message)> message;  // an information box
    };

    LinkPanelView(QWidget* window, const SiteColumns& sites, std::string data_dir, Hooks hooks);

    // Places the panel at the top of a screen of the given width.
    void layoutFor(int screen_width);
    // Button17 and Button16: the next and the previous page.
    void Button17Click();
    void Button16Click();

    LinkPanel& state() { return panel_; }

    std::array<THighlightImage*, LinkPanel::kImageCount> images{};  // LinkImage001 .. 006
    THighlightImage* Image4 = nullptr;                              // previous page
    THighlightImage* Image5 = nullptr;                              // next page
    QPushButton* Button15 = nullptr;                                // "X"
    QLabel* LinkLabel2 = nullptr;
    QFrame* LinkImagePanel = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::optional<std::string> loadPicture(const std::string& name, int image);
    void showResult(const PageResult& result);

    std::string data_dir_;
    Hooks hooks_;
    LinkPanel panel_;
};

}  // namespace tn
