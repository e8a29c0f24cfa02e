#include "websites/link_panel_view.h"

#include <QEvent>
#include <QImageReader>
#include <QLabel>
#include <QPushButton>

#include "core/artwork.h"
#include "websites/highlight_image.h"

namespace tn {
namespace {
QRect toQRect(const Rect& r) {
    return {r.left, r.top, r.width, r.height};
}
}  // namespace

LinkPanelView::LinkPanelView(QWidget* window, const SiteColumns& sites, std::string data_dir, Hooks hooks)
    : QFrame(window),
      data_dir_(std::move(data_dir)),
      hooks_(std::move(hooks)),
      panel_(sites, data_dir_,
             [this](const std::string& name, int image) { return loadPicture(name, image); }) {
    setObjectName(QStringLiteral("LinkPanel"));
    setStyleSheet(QStringLiteral("#LinkPanel, #LinkImagePanel { background: #87ceeb; }"));
    setAutoFillBackground(true);

    LinkImagePanel = new QFrame(this);
    LinkImagePanel->setObjectName(QStringLiteral("LinkImagePanel"));
    LinkImagePanel->setMouseTracking(true);
    LinkImagePanel->installEventFilter(this);
    for (int k = 0; k < LinkPanel::kImageCount; ++k) {
        auto* image = new THighlightImage(LinkImagePanel);
        image->setObjectName(QStringLiteral("LinkImage00%1").arg(k + 1));
        images[static_cast<std::size_t>(k)] = image;
        const int n = k + 1;
        connect(image, &THighlightImage::mouseMoved, this, [this, n] {
            if (auto line = panel_.hoverImage(n)) hooks_.error_line(*line);
            LinkLabel2->setText(QString::fromStdString(panel_.linkLabel2()));
        });
        connect(image, &THighlightImage::clicked, this, [this, n] {
            const ImageClick click = panel_.clickImage(n);
            if (click.address) hooks_.open(*click.address);
            if (click.error_line) hooks_.error_line(*click.error_line);
            if (click.hide_panel) hide();
        });
    }
    Image4 = new THighlightImage(LinkImagePanel);
    Image4->setObjectName(QStringLiteral("Image4"));
    Image4->setPixmap(artwork::arrow(true, 17, 73, false));
    Image5 = new THighlightImage(LinkImagePanel);
    Image5->setObjectName(QStringLiteral("Image5"));
    Image5->setPixmap(artwork::arrow(false, 17, 73, false));
    connect(Image4, &THighlightImage::clicked, this, [this] { showResult(panel_.image4Click()); });
    connect(Image5, &THighlightImage::clicked, this, [this] { showResult(panel_.image5Click()); });

    Button15 = new QPushButton(QStringLiteral("X"), this);
    Button15->setObjectName(QStringLiteral("Button15"));
    Button15->setFixedSize(25, 17);
    Button15->setFocusPolicy(Qt::NoFocus);
    connect(Button15, &QPushButton::clicked, this, &QWidget::hide);

    LinkLabel2 = new QLabel(this);
    LinkLabel2->setObjectName(QStringLiteral("LinkLabel2"));
    LinkLabel2->setAlignment(Qt::AlignCenter);
    LinkLabel2->setStyleSheet(QStringLiteral("color: black; font-weight: bold; font-size: 15px;"));
    hide();
}

void LinkPanelView::layoutFor(int screen_width) {
    const LinkPanelLayout l = LinkPanel::layout(screen_width);
    setGeometry(toQRect(l.panel));
    LinkImagePanel->setGeometry(toQRect(l.image_panel));
    for (std::size_t k = 0; k < images.size(); ++k)
        images[k]->setGeometry(toQRect(l.images[k]));
    Image4->setGeometry(toQRect(l.previous_arrow));
    Image5->setGeometry(toQRect(l.next_arrow));
    Button15->move(width() - Button15->width(), 0);
    LinkLabel2->setGeometry(0, height() - 18, width(), 18);
}

std::optional<std::string> LinkPanelView::loadPicture(const std::string& name, int image) {
    QImageReader reader(QString::fromStdString(data_dir_ + "files/links/" + name));
    const QImage picture = reader.read();
    if (picture.isNull()) {
        return "Cannot load the picture \"" + name + "\": " + reader.errorString().toStdString() + ".";
    }
    images[static_cast<std::size_t>(image - 1)]->setPixmap(QPixmap::fromImage(picture));
    return std::nullopt;
}

void LinkPanelView::showResult(const PageResult& result) {
    // Images the state shows as blank get the empty picture; the others have theirs already.
    for (int k = 1; k <= LinkPanel::kImageCount; ++k) {
        if (!panel_.shownEntry(k)) images[static_cast<std::size_t>(k - 1)]->setPixmap(QPixmap());
    }
    for (const auto& line : result.error_lines)
        hooks_.error_line(line);
    if (result.message) hooks_.message(*result.message);
}

void LinkPanelView::Button17Click() {
    showResult(panel_.nextPage());
}
void LinkPanelView::Button16Click() {
    showResult(panel_.previousPage());
}

bool LinkPanelView::eventFilter(QObject* watched, QEvent* event) {
    // The pointer between the images clears the title.
    if (watched == LinkImagePanel && event->type() == QEvent::MouseMove) {
        panel_.hoverBetween();
        LinkLabel2->clear();
    }
    return QFrame::eventFilter(watched, event);
}

}  // namespace tn
