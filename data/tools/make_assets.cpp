// Draws the pictures and synthesises the sounds of the data folder at build time, so the project keeps
// no binary artwork in its history and every asset is reproducible from this file.
//
// Usage: tn_make_assets <sites.ini> <output folder>
// Writes files/links/<thumbnail> for every record of the site list, the sounds files/*.wav,
// Skins/CurrentAddLinksBackground.jpg, and Activities/<name>/150x150.jpg and Activities/<name>/<name>.swf
// for each activity shipped, below the output folder. The output depends only on the inputs
// (and on the fonts installed): every "random" detail comes from fixed seeds.

#include <QByteArray>
#include <QColor>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <QPolygonF>
#include <QRadialGradient>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <initializer_list>
#include <numbers>
#include <utility>
#include <vector>

namespace tn {
namespace {

constexpr double kPi = std::numbers::pi;

// A small deterministic generator (xorshift32): the same seed gives the same pictures and sounds on
// every machine, unlike std::rand or the standard distributions.
class Noise {
public:
    explicit Noise(std::uint32_t seed) : state_(seed == 0 ? 0x9E3779B9U : seed) {}

    std::uint32_t next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return state_;
    }
    // Uniform in [0, 1).
    double unit() { return static_cast<double>(next()) / 4294967296.0; }
    double between(double low, double high) { return low + (high - low) * unit(); }
    // Uniform in [-1, 1).
    double signedUnit() { return unit() * 2.0 - 1.0; }

private:
    std::uint32_t state_;
};

// ---------------------------------------------------------------------------------------------------
// Sounds

constexpr int kSampleRate = 22050;
// Every sound is scaled so its loudest sample sits at -6 dBFS.
constexpr double kPeak = 0.5;

using Samples = std::vector<double>;

std::size_t sampleIndex(double seconds) {
    return static_cast<std::size_t>(std::lround(std::max(0.0, seconds) * kSampleRate));
}

double sampleTime(std::size_t index) {
    return static_cast<double>(index) / kSampleRate;
}

Samples silence(double seconds) {
    return Samples(sampleIndex(seconds), 0.0);
}

// One note: a sine with a few soft overtones, a linear attack, an exponential decay and a short
// release at its end so a note cut off by the next never clicks. It stops at the end of the buffer.
struct Note {
    double start = 0.0;
    double length = 0.0;
    double frequency = 440.0;
    double level = 1.0;
    double attack = 0.005;
    double decay = 4.0;                                // per second; 0 holds the level
    std::array<double, 3> overtones{0.25, 0.08, 0.0};  // levels of partials 2, 3 and 4
};

void addNote(Samples& out, const Note& note) {
    constexpr double kRelease = 0.02;
    const std::size_t first = sampleIndex(note.start);
    const std::size_t last = std::min(out.size(), sampleIndex(note.start + note.length));
    for (std::size_t i = first; i < last; ++i) {
        const double t = sampleTime(i - first);
        double envelope = t < note.attack ? t / note.attack : std::exp(-note.decay * (t - note.attack));
        const double left = note.length - t;
        if (left < kRelease) {
            envelope *= left / kRelease;
        }
        const double phase = 2.0 * kPi * note.frequency * t;
        double wave = std::sin(phase);
        for (std::size_t k = 0; k < note.overtones.size(); ++k) {
            wave += note.overtones[k] * std::sin(phase * static_cast<double>(k + 2));
        }
        out[i] += note.level * envelope * wave;
    }
}

// Fades both ends so playback starts and stops in silence, then scales to the common peak.
void finish(Samples& samples) {
    const std::size_t fadeIn = std::min(samples.size(), sampleIndex(0.004));
    const std::size_t fadeOut = std::min(samples.size(), sampleIndex(0.012));
    for (std::size_t i = 0; i < fadeIn; ++i) {
        samples[i] *= static_cast<double>(i) / static_cast<double>(fadeIn);
    }
    for (std::size_t i = 0; i < fadeOut; ++i) {
        samples[samples.size() - 1 - i] *= static_cast<double>(i) / static_cast<double>(fadeOut);
    }
    double peak = 0.0;
    for (const double s : samples) {
        peak = std::max(peak, std::abs(s));
    }
    if (peak > 0.0) {
        for (double& s : samples) {
            s *= kPeak / peak;
        }
    }
}

void appendLittleEndian(QByteArray& bytes, std::uint32_t value, int size) {
    for (int i = 0; i < size; ++i) {
        bytes.append(static_cast<char>((value >> (8 * i)) & 0xFFU));
    }
}

// RIFF/WAVE, PCM, 16-bit, mono.
QByteArray wavBytes(const Samples& samples) {
    const auto dataSize = static_cast<std::uint32_t>(samples.size() * 2);
    QByteArray bytes;
    bytes.reserve(static_cast<qsizetype>(44 + dataSize));
    bytes.append("RIFF");
    appendLittleEndian(bytes, 36 + dataSize, 4);
    bytes.append("WAVEfmt ");
    appendLittleEndian(bytes, 16, 4);               // format chunk size
    appendLittleEndian(bytes, 1, 2);                // PCM
    appendLittleEndian(bytes, 1, 2);                // one channel
    appendLittleEndian(bytes, kSampleRate, 4);      // frames per second
    appendLittleEndian(bytes, kSampleRate * 2, 4);  // bytes per second
    appendLittleEndian(bytes, 2, 2);                // bytes per frame
    appendLittleEndian(bytes, 16, 2);               // bits per sample
    bytes.append("data");
    appendLittleEndian(bytes, dataSize, 4);
    for (const double s : samples) {
        const long value = std::clamp(std::lround(s * 32767.0), -32768L, 32767L);
        appendLittleEndian(bytes, static_cast<std::uint32_t>(static_cast<std::uint16_t>(value)), 2);
    }
    return bytes;
}

// A short soft click: a brief noise burst over a quickly dying high tone.
Samples tickSound() {
    Samples out = silence(0.06);
    addNote(out, {.start = 0.0,
                  .length = 0.06,
                  .frequency = 1760.0,
                  .attack = 0.001,
                  .decay = 90.0,
                  .overtones = {0.1, 0.0, 0.0}});
    Noise noise(11);
    for (std::size_t i = 0; i < out.size(); ++i) {
        out[i] += 0.35 * noise.signedUnit() * std::exp(-sampleTime(i) * 300.0);
    }
    finish(out);
    return out;
}

// Notes played one after another, each ringing on under the next.
Samples sequence(double total, double step, std::initializer_list<double> frequencies, double decay) {
    Samples out = silence(total);
    double start = 0.0;
    for (const double f : frequencies) {
        addNote(out, {.start = start, .length = total - start, .frequency = f, .decay = decay});
        start += step;
    }
    finish(out);
    return out;
}

// Time is up: a gentle descending chime, G5 E5 C5.
Samples timeUpSound() {
    return sequence(1.2, 0.3, {783.99, 659.26, 523.25}, 3.0);
}

// A rising arpeggio C5 E5 G5 C6 for the return to the child's screen.
Samples decentSound() {
    return sequence(0.6, 0.09, {523.25, 659.26, 783.99, 1046.50}, 6.0);
}

// Goodbye: the same notes falling, C6 G5 E5 C5.
Samples exitSound() {
    return sequence(0.6, 0.11, {1046.50, 783.99, 659.26, 523.25}, 6.0);
}

// "Uh-oh": two held tones a minor third apart, falling, with a little buzz from odd overtones.
Samples alertSound() {
    Samples out = silence(0.4);
    const std::array<double, 3> reedy{0.15, 0.3, 0.0};
    addNote(out, {.start = 0.0,
                  .length = 0.17,
                  .frequency = 622.25,
                  .attack = 0.01,
                  .decay = 2.0,
                  .overtones = reedy});
    addNote(out, {.start = 0.19,
                  .length = 0.21,
                  .frequency = 523.25,
                  .attack = 0.01,
                  .decay = 4.0,
                  .overtones = reedy});
    finish(out);
    return out;
}

// A soft low welcome: A2 with its octave and fifth, swelling in slowly and dying away.
Samples bassSound() {
    Samples out = silence(0.5);
    addNote(out, {.start = 0.0,
                  .length = 0.5,
                  .frequency = 110.0,
                  .attack = 0.06,
                  .decay = 4.5,
                  .overtones = {0.45, 0.15, 0.05}});
    addNote(out, {.start = 0.0,
                  .length = 0.5,
                  .frequency = 164.81,
                  .level = 0.25,
                  .attack = 0.08,
                  .decay = 5.0,
                  .overtones = {0.2, 0.0, 0.0}});
    finish(out);
    return out;
}

// A quick swoosh: noise through a low-pass filter whose corner sweeps upwards, under a smooth swell.
Samples slipSound() {
    Samples out = silence(0.2);
    Noise noise(23);
    double filtered = 0.0;
    const double length = static_cast<double>(out.size());
    for (std::size_t i = 0; i < out.size(); ++i) {
        const double x = static_cast<double>(i) / length;
        const double corner = 500.0 + 4000.0 * x;
        const double alpha = 1.0 - std::exp(-2.0 * kPi * corner / kSampleRate);
        filtered += alpha * (noise.signedUnit() - filtered);
        const double swell = std::sin(kPi * x);
        out[i] = filtered * swell * swell;
    }
    finish(out);
    return out;
}

// ---------------------------------------------------------------------------------------------------
// Pictures

struct CardColours {
    QColor top;
    QColor bottom;
    QColor accent;
};

constexpr std::array<std::array<QRgb, 3>, 6> kCardPalette{{
    {0xFFFFB74D, 0xFFFF7043, 0xFFFFF3E0},  // orange
    {0xFF4FC3F7, 0xFF1E88E5, 0xFFE3F2FD},  // blue
    {0xFFBA68C8, 0xFF7E57C2, 0xFFF3E5F5},  // purple
    {0xFF5C6BC0, 0xFF1A237E, 0xFFFFF59D},  // night
    {0xFF4DD0E1, 0xFF26A69A, 0xFFE0F2F1},  // teal
    {0xFFAED581, 0xFF43A047, 0xFFF1F8E9},  // green
}};

CardColours cardColours(std::size_t index) {
    const auto& entry = kCardPalette[index % kCardPalette.size()];
    return {QColor::fromRgb(entry[0]), QColor::fromRgb(entry[1]), QColor::fromRgb(entry[2])};
}

enum class Emblem { House, Globe, Book, Planet, Star, Flower };

// The emblem that suits a thumbnail's name; names not known here take turns through the shapes.
Emblem emblemFor(const QString& thumbnail, std::size_t index) {
    const QString name = QFileInfo(thumbnail).completeBaseName().toLower();
    if (name == QStringLiteral("home")) {
        return Emblem::House;
    }
    if (name.contains(QStringLiteral("wiki"))) {
        return Emblem::Globe;
    }
    if (name.contains(QStringLiteral("gutenberg")) || name.contains(QStringLiteral("book"))) {
        return Emblem::Book;
    }
    if (name.contains(QStringLiteral("space")) || name.contains(QStringLiteral("nasa"))) {
        return Emblem::Planet;
    }
    if (name.contains(QStringLiteral("geo")) || name.contains(QStringLiteral("nature"))) {
        return Emblem::Flower;
    }
    if (name.contains(QStringLiteral("kids"))) {
        return Emblem::Star;
    }
    constexpr std::array<Emblem, 4> kTurns{Emblem::Star, Emblem::Flower, Emblem::Globe, Emblem::Book};
    return kTurns[index % kTurns.size()];
}

QPolygonF starShape(QPointF centre, double outer, double inner, int points) {
    QPolygonF star;
    for (int i = 0; i < points * 2; ++i) {
        const double radius = i % 2 == 0 ? outer : inner;
        const double angle = -kPi / 2.0 + kPi * static_cast<double>(i) / static_cast<double>(points);
        star << QPointF(centre.x() + radius * std::cos(angle), centre.y() + radius * std::sin(angle));
    }
    return star;
}

// Draws an emblem of about 2 * r across, centred on c: white shapes with details in the card's colours.
void drawEmblem(QPainter& p, Emblem emblem, QPointF c, double r, const CardColours& colours) {
    const QColor white(Qt::white);
    const QColor detail = colours.bottom;
    p.save();
    p.setPen(Qt::NoPen);
    switch (emblem) {
        case Emblem::House: {
            const QPolygonF roof{QPointF(c.x() - r, c.y() - 0.05 * r), QPointF(c.x(), c.y() - r),
                                 QPointF(c.x() + r, c.y() - 0.05 * r)};
            p.setBrush(white);
            p.drawPolygon(roof);
            p.drawRect(QRectF(c.x() - 0.72 * r, c.y() - 0.1 * r, 1.44 * r, 0.95 * r));
            p.setBrush(detail);
            p.drawRoundedRect(QRectF(c.x() - 0.18 * r, c.y() + 0.3 * r, 0.36 * r, 0.55 * r), 0.1 * r,
                              0.1 * r);
            p.setBrush(QColor(0xFF, 0xD5, 0x4F));
            p.drawEllipse(QPointF(c.x(), c.y() - 0.42 * r), 0.17 * r, 0.17 * r);
            break;
        }
        case Emblem::Globe: {
            p.setBrush(white);
            p.drawEllipse(c, r, r);
            QPen line(detail, std::max(2.0, 0.07 * r));
            p.setPen(line);
            p.setBrush(Qt::NoBrush);
            p.drawEllipse(c, 0.45 * r, 0.92 * r);
            p.drawLine(QPointF(c.x(), c.y() - 0.92 * r), QPointF(c.x(), c.y() + 0.92 * r));
            p.drawLine(QPointF(c.x() - 0.95 * r, c.y()), QPointF(c.x() + 0.95 * r, c.y()));
            p.drawLine(QPointF(c.x() - 0.8 * r, c.y() - 0.5 * r), QPointF(c.x() + 0.8 * r, c.y() - 0.5 * r));
            p.drawLine(QPointF(c.x() - 0.8 * r, c.y() + 0.5 * r), QPointF(c.x() + 0.8 * r, c.y() + 0.5 * r));
            break;
        }
        case Emblem::Book: {
            const double top = c.y() - 0.6 * r;
            const double bottom = c.y() + 0.7 * r;
            const QPolygonF leftPage{QPointF(c.x(), top + 0.12 * r), QPointF(c.x() - r, top),
                                     QPointF(c.x() - r, bottom - 0.12 * r), QPointF(c.x(), bottom)};
            const QPolygonF rightPage{QPointF(c.x(), top + 0.12 * r), QPointF(c.x() + r, top),
                                      QPointF(c.x() + r, bottom - 0.12 * r), QPointF(c.x(), bottom)};
            p.setBrush(white);
            p.drawPolygon(leftPage);
            p.drawPolygon(rightPage);
            QPen line(detail, std::max(2.0, 0.05 * r), Qt::SolidLine, Qt::RoundCap);
            p.setPen(line);
            p.drawLine(QPointF(c.x(), top + 0.12 * r), QPointF(c.x(), bottom));
            for (int i = 1; i <= 4; ++i) {
                const double y = top + 0.25 * r * static_cast<double>(i);
                p.drawLine(QPointF(c.x() - 0.82 * r, y), QPointF(c.x() - 0.18 * r, y + 0.1 * r));
                p.drawLine(QPointF(c.x() + 0.18 * r, y + 0.1 * r), QPointF(c.x() + 0.82 * r, y));
            }
            break;
        }
        case Emblem::Planet: {
            const QPen ring(QColor(0xFF, 0xF5, 0x9D), std::max(3.0, 0.1 * r), Qt::SolidLine, Qt::RoundCap);
            const QRectF ringBox(-1.25 * r, -0.38 * r, 2.5 * r, 0.76 * r);
            p.translate(c);
            p.rotate(-18.0);
            p.setPen(ring);
            p.setBrush(Qt::NoBrush);
            p.drawArc(ringBox, 0, 180 * 16);  // the far half, behind the planet
            p.setPen(Qt::NoPen);
            p.setBrush(white);
            p.drawEllipse(QPointF(0.0, 0.0), 0.7 * r, 0.7 * r);
            p.setBrush(colours.accent.darker(115));
            p.drawEllipse(QPointF(-0.25 * r, -0.2 * r), 0.14 * r, 0.14 * r);
            p.drawEllipse(QPointF(0.22 * r, 0.25 * r), 0.1 * r, 0.1 * r);
            p.setPen(ring);
            p.setBrush(Qt::NoBrush);
            p.drawArc(ringBox, 180 * 16, 180 * 16);  // the near half, in front
            break;
        }
        case Emblem::Star: {
            p.setBrush(white);
            p.drawPolygon(starShape(c, r, 0.45 * r, 5));
            p.setBrush(QColor(0xFF, 0xD5, 0x4F));
            p.drawPolygon(starShape(c, 0.45 * r, 0.2 * r, 5));
            break;
        }
        case Emblem::Flower: {
            p.setBrush(white);
            for (int i = 0; i < 6; ++i) {
                p.save();
                p.translate(c);
                p.rotate(60.0 * i);
                p.drawEllipse(QPointF(0.0, -0.55 * r), 0.3 * r, 0.45 * r);
                p.restore();
            }
            p.setBrush(QColor(0xFF, 0xD5, 0x4F));
            p.drawEllipse(c, 0.32 * r, 0.32 * r);
            break;
        }
    }
    p.restore();
}

QFont friendlyFont(int pixelSize) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(pixelSize);
    font.setBold(true);
    return font;
}

// Draws text centred in box, as large as it fits (wrapping onto two lines when it must), white with
// a soft shadow.
void drawTitle(QPainter& p, const QString& text, const QRectF& box) {
    const int flags = Qt::AlignCenter | Qt::TextWordWrap;
    int size = 40;
    for (; size > 12; size -= 2) {
        const QRectF needed = QFontMetrics(friendlyFont(size)).boundingRect(box.toRect(), flags, text);
        if (needed.width() <= box.width() && needed.height() <= box.height()) {
            break;
        }
    }
    p.save();
    p.setFont(friendlyFont(size));
    p.setPen(QColor(0, 0, 0, 70));
    p.drawText(box.translated(2.0, 3.0), flags, text);
    p.setPen(Qt::white);
    p.drawText(box, flags, text);
    p.restore();
}

// Soft translucent circles scattered over a picture.
void drawBubbles(QPainter& p, const QSizeF& size, Noise& noise, int count, const QColor& colour, double minR,
                 double maxR) {
    p.save();
    p.setPen(Qt::NoPen);
    for (int i = 0; i < count; ++i) {
        QColor c = colour;
        c.setAlpha(static_cast<int>(noise.between(18.0, 46.0)));
        p.setBrush(c);
        const double r = noise.between(minR, maxR);
        p.drawEllipse(QPointF(noise.unit() * size.width(), noise.unit() * size.height()), r, r);
    }
    p.restore();
}

QImage thumbnail(const QString& title, Emblem emblem, std::size_t index) {
    constexpr int kWidth = 320;
    constexpr int kHeight = 240;
    const CardColours colours = cardColours(index);
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);

    QLinearGradient background(0.0, 0.0, kWidth * 0.4, kHeight);
    background.setColorAt(0.0, colours.top);
    background.setColorAt(1.0, colours.bottom);
    p.fillRect(image.rect(), background);

    Noise noise(static_cast<std::uint32_t>(1000 + index * 7919));
    drawBubbles(p, QSizeF(kWidth, kHeight), noise, 9, Qt::white, 12.0, 46.0);

    QRadialGradient glow(QPointF(kWidth / 2.0, 92.0), 95.0);
    glow.setColorAt(0.0, QColor(255, 255, 255, 90));
    glow.setColorAt(1.0, QColor(255, 255, 255, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(glow);
    p.drawEllipse(QPointF(kWidth / 2.0, 92.0), 95.0, 95.0);

    drawEmblem(p, emblem, QPointF(kWidth / 2.0, 88.0), 58.0, colours);
    drawTitle(p, title, QRectF(14.0, 158.0, kWidth - 28.0, 72.0));

    p.setPen(QPen(QColor(255, 255, 255, 120), 4.0));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(6.0, 6.0, kWidth - 12.0, kHeight - 12.0), 18.0, 18.0);
    return image;
}

// The quiet backdrop of the parent's "add website" form: a pale sky, drifting bubbles and stars, and
// rolling hills along the bottom, all light enough for controls to sit on top.
QImage addLinksBackground() {
    constexpr int kWidth = 1024;
    constexpr int kHeight = 768;
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);

    QLinearGradient sky(0.0, 0.0, 0.0, kHeight);
    sky.setColorAt(0.0, QColor(0xE3, 0xF2, 0xFD));
    sky.setColorAt(0.6, QColor(0xF3, 0xE5, 0xF5));
    sky.setColorAt(1.0, QColor(0xFF, 0xF3, 0xE0));
    p.fillRect(image.rect(), sky);

    Noise noise(2024);
    const std::array<QColor, 4> bubbleColours{QColor(0x90, 0xCA, 0xF9), QColor(0xF4, 0x8F, 0xB1),
                                              QColor(0xFF, 0xE0, 0x82), QColor(0xA5, 0xD6, 0xA7)};
    for (const QColor& colour : bubbleColours) {
        drawBubbles(p, QSizeF(kWidth, kHeight * 0.75), noise, 6, colour, 20.0, 90.0);
    }

    p.setPen(Qt::NoPen);
    for (int i = 0; i < 14; ++i) {
        const QPointF centre(noise.unit() * kWidth, noise.unit() * kHeight * 0.6);
        const double r = noise.between(8.0, 20.0);
        p.setBrush(QColor(255, 255, 255, static_cast<int>(noise.between(90.0, 160.0))));
        p.drawPolygon(starShape(centre, r, 0.45 * r, 5));
    }

    const std::array<QColor, 2> hills{QColor(0xC5, 0xE1, 0xA5, 150), QColor(0xA5, 0xD6, 0xA7, 170)};
    for (std::size_t layer = 0; layer < hills.size(); ++layer) {
        const double base = kHeight - 150.0 + 60.0 * static_cast<double>(layer);
        const double phase = noise.between(0.0, 2.0 * kPi);
        QPainterPath hill(QPointF(0.0, kHeight));
        for (int x = 0; x <= kWidth; x += 8) {
            const double y = base + 28.0 * std::sin(phase + static_cast<double>(x) / 140.0) +
                             12.0 * std::sin(static_cast<double>(x) / 57.0);
            hill.lineTo(QPointF(x, y));
        }
        hill.lineTo(QPointF(kWidth, kHeight));
        hill.closeSubpath();
        p.setBrush(hills[layer]);
        p.drawPath(hill);
    }
    return image;
}

// ---------------------------------------------------------------------------------------------------
// Activities: a 150 by 150 picture for each activity shipped in the Activities folder, drawn to match
// what the activity shows, and the movie file every activity folder must hold.

constexpr int kActivitySide = 150;

QImage activityCanvas(const QColor& top, const QColor& bottom) {
    QImage image(kActivitySide, kActivitySide, QImage::Format_RGB32);
    QPainter p(&image);
    QLinearGradient background(0.0, 0.0, 0.0, kActivitySide);
    background.setColorAt(0.0, top);
    background.setColorAt(1.0, bottom);
    p.fillRect(image.rect(), background);
    return image;
}

void drawActivityFrame(QPainter& p) {
    p.setPen(QPen(QColor(255, 255, 255, 150), 4.0));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(3.0, 3.0, kActivitySide - 6.0, kActivitySide - 6.0), 14.0, 14.0);
}

void drawBalloon(QPainter& p, QPointF c, double r, const QColor& colour) {
    p.save();
    p.setPen(QPen(QColor(70, 70, 70, 180), 1.5));
    p.setBrush(Qt::NoBrush);
    QPainterPath string(QPointF(c.x(), c.y() + 1.25 * r));
    string.quadTo(QPointF(c.x() + 0.5 * r, c.y() + 1.8 * r), QPointF(c.x() - 0.15 * r, c.y() + 2.5 * r));
    p.drawPath(string);
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawPolygon(QPolygonF{QPointF(c.x() - 0.2 * r, c.y() + 1.35 * r),
                            QPointF(c.x() + 0.2 * r, c.y() + 1.35 * r), QPointF(c.x(), c.y() + 1.1 * r)});
    p.drawEllipse(c, r, 1.18 * r);
    p.setBrush(QColor(255, 255, 255, 115));
    p.translate(c.x() - 0.36 * r, c.y() - 0.45 * r);
    p.rotate(-28.0);
    p.drawEllipse(QPointF(0.0, 0.0), 0.2 * r, 0.33 * r);
    p.restore();
}

// Balloons rising through a blue sky past a cloud, one of them popping.
QImage balloonPopPicture() {
    QImage image = activityCanvas(QColor(0x64, 0xB5, 0xF6), QColor(0xE1, 0xF5, 0xFE));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 220));
    for (const auto& [x, y, r] : {std::array<double, 3>{22.0, 122.0, 14.0},
                                  {40.0, 114.0, 18.0},
                                  {60.0, 122.0, 14.0},
                                  {118.0, 30.0, 11.0},
                                  {132.0, 24.0, 13.0}}) {
        p.drawEllipse(QPointF(x, y), r, r);
    }
    drawBalloon(p, QPointF(42.0, 52.0), 21.0, QColor(0xE5, 0x39, 0x35));
    drawBalloon(p, QPointF(82.0, 76.0), 19.0, QColor(0xFD, 0xD8, 0x35));
    drawBalloon(p, QPointF(116.0, 92.0), 16.0, QColor(0x43, 0xA0, 0x47));
    // The pop: a burst of coloured bits around a small star.
    const QPointF burst(108.0, 46.0);
    p.setBrush(QColor(0xFF, 0xD5, 0x4F));
    p.drawPolygon(starShape(burst, 11.0, 5.0, 5));
    const std::array<QColor, 3> bits{QColor(0x8E, 0x24, 0xAA), QColor(0x1E, 0x88, 0xE5),
                                     QColor(0xEC, 0x40, 0x7A)};
    for (int i = 0; i < 8; ++i) {
        const double angle = kPi * static_cast<double>(i) / 4.0 + 0.3;
        p.setBrush(bits[static_cast<std::size_t>(i) % bits.size()]);
        p.drawEllipse(QPointF(burst.x() + 20.0 * std::cos(angle), burst.y() + 20.0 * std::sin(angle)), 3.2,
                      3.2);
    }
    drawActivityFrame(p);
    return image;
}

// A sheet of paper with bright strokes and stamps, and a row of paint pots along the bottom.
QImage paintBoxPicture() {
    QImage image = activityCanvas(QColor(0xFF, 0xCC, 0x80), QColor(0xFF, 0xB7, 0x4D));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawRoundedRect(QRectF(14.0, 14.0, 122.0, 92.0), 10.0, 10.0);
    const std::array<QColor, 4> strokes{QColor(0xE5, 0x39, 0x35), QColor(0xFD, 0xD8, 0x35),
                                        QColor(0x43, 0xA0, 0x47), QColor(0x1E, 0x88, 0xE5)};
    for (std::size_t i = 0; i < strokes.size(); ++i) {
        const double y = 34.0 + 9.0 * static_cast<double>(i);
        QPainterPath wave(QPointF(28.0, y));
        wave.cubicTo(QPointF(50.0, y - 18.0), QPointF(66.0, y + 18.0), QPointF(90.0, y));
        p.strokePath(wave, QPen(strokes[i], 7.0, Qt::SolidLine, Qt::RoundCap));
    }
    p.setBrush(QColor(0xEC, 0x40, 0x7A));
    p.drawPolygon(starShape(QPointF(112.0, 40.0), 15.0, 6.5, 5));
    p.setBrush(QColor(0x8E, 0x24, 0xAA));
    p.drawEllipse(QPointF(110.0, 82.0), 11.0, 11.0);
    const std::array<QColor, 5> pots{QColor(0xE5, 0x39, 0x35), QColor(0xFB, 0x8C, 0x00),
                                     QColor(0xFD, 0xD8, 0x35), QColor(0x43, 0xA0, 0x47),
                                     QColor(0x1E, 0x88, 0xE5)};
    for (std::size_t i = 0; i < pots.size(); ++i) {
        const QPointF c(27.0 + 24.0 * static_cast<double>(i), 126.0);
        p.setPen(QPen(Qt::white, 3.0));
        p.setBrush(pots[i]);
        p.drawEllipse(c, 10.0, 10.0);
    }
    drawActivityFrame(p);
    return image;
}

// A night sky with three stars above three big round answer buttons, the middle one right.
QImage starCountPicture() {
    QImage image = activityCanvas(QColor(0x0D, 0x1B, 0x4C), QColor(0x39, 0x49, 0xAB));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    Noise noise(150);
    for (int i = 0; i < 18; ++i) {
        p.setBrush(QColor(255, 255, 255, static_cast<int>(noise.between(80.0, 200.0))));
        p.drawEllipse(QPointF(noise.unit() * kActivitySide, noise.unit() * 90.0), 1.2, 1.2);
    }
    p.setPen(QPen(QColor(0xFF, 0xF8, 0xE1), 1.5));
    p.setBrush(QColor(0xFF, 0xD5, 0x4F));
    for (const auto& [x, y] : {std::pair{38.0, 42.0}, {76.0, 28.0}, {112.0, 48.0}}) {
        p.drawPolygon(starShape(QPointF(x, y), 20.0, 8.5, 5));
    }
    // The buttons carry dots rather than digits, so the picture needs no font: 2, 3 and 4 of them.
    const std::array<QColor, 3> buttons{QColor(0xE5, 0x39, 0x35), QColor(0x43, 0xA0, 0x47),
                                        QColor(0x1E, 0x88, 0xE5)};
    for (std::size_t i = 0; i < buttons.size(); ++i) {
        const QPointF c(33.0 + 42.0 * static_cast<double>(i), 112.0);
        const bool right = i == 1;
        p.setPen(QPen(right ? QColor(0xFF, 0xF5, 0x9D) : QColor(Qt::white), right ? 4.0 : 3.0));
        p.setBrush(buttons[i]);
        p.drawEllipse(c, right ? 19.0 : 16.0, right ? 19.0 : 16.0);
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::white);
        const int dots = static_cast<int>(i) + 2;
        for (int d = 0; d < dots; ++d) {
            const double angle = -kPi / 2.0 + 2.0 * kPi * static_cast<double>(d) / dots;
            p.drawEllipse(QPointF(c.x() + 7.0 * std::cos(angle), c.y() + 7.0 * std::sin(angle)), 2.8, 2.8);
        }
    }
    drawActivityFrame(p);
    return image;
}

// The movie file an activity folder must hold beside its page. The activities here are HTML pages
// and play no movie, so this is the smallest well-formed one: an uncompressed movie of one empty
// frame on a 150 by 150 stage, filled with the given colour.
QByteArray blankMovie(const QColor& background) {
    constexpr std::uint32_t kTwips = kActivitySide * 20;  // stage units are 1/20 pixel
    constexpr int kBits = 13;                             // enough for kTwips, sign bit included
    // The stage rectangle: a 5-bit field width, then x min, x max, y min, y max, packed MSB first.
    std::vector<bool> bits;
    const auto put = [&bits](std::uint32_t value, int count) {
        for (int i = count - 1; i >= 0; --i) {
            bits.push_back(((value >> i) & 1U) != 0);
        }
    };
    put(kBits, 5);
    for (const std::uint32_t value : {0U, kTwips, 0U, kTwips}) {
        put(value, kBits);
    }
    QByteArray rect((static_cast<qsizetype>(bits.size()) + 7) / 8, '\0');
    for (std::size_t i = 0; i < bits.size(); ++i) {
        if (bits[i]) {
            rect[static_cast<qsizetype>(i / 8)] =
                static_cast<char>(rect[static_cast<qsizetype>(i / 8)] | (0x80 >> (i % 8)));
        }
    }

    QByteArray body = rect;
    appendLittleEndian(body, 12U << 8, 2);        // 12 frames a second, as 8.8 fixed point
    appendLittleEndian(body, 1, 2);               // one frame
    appendLittleEndian(body, (9U << 6) | 3U, 2);  // SetBackgroundColor, 3 bytes
    body.append(static_cast<char>(background.red()));
    body.append(static_cast<char>(background.green()));
    body.append(static_cast<char>(background.blue()));
    appendLittleEndian(body, 1U << 6, 2);  // ShowFrame
    appendLittleEndian(body, 0, 2);        // End

    QByteArray movie("FWS");
    movie.append(static_cast<char>(6));  // format version
    appendLittleEndian(movie, static_cast<std::uint32_t>(8 + body.size()), 4);
    movie.append(body);
    return movie;
}

struct ActivityArt {
    const char* name;  // the activity's folder name
    QImage (*picture)();
    QColor stage;
};

// Keep in step with TN_ACTIVITIES in data/CMakeLists.txt and the folders in data/Activities.
const std::array<ActivityArt, 3> kActivities{{
    {"BalloonPop", balloonPopPicture, QColor(0x8F, 0xD3, 0xFF)},
    {"PaintBox", paintBoxPicture, QColor(0xFF, 0xE0, 0xB2)},
    {"StarCount", starCountPicture, QColor(0x1A, 0x23, 0x7E)},
}};

// ---------------------------------------------------------------------------------------------------

struct SiteCard {
    QString title;
    QString thumbnail;
};

// Reads title and thumbnail of every record in the site list; lines with fewer than three fields are
// not sites and are skipped, as the shell skips them.
bool readSites(const QString& path, std::vector<SiteCard>& sites) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return false;
    }
    const QString text = QString::fromUtf8(file.readAll());
    for (QString line : text.split(u'\n')) {
        line.remove(u'\r');
        const QStringList fields = line.split(QStringLiteral(" #| "));
        if (fields.size() >= 3 && !fields[2].isEmpty()) {
            sites.push_back({fields[0], fields[2]});
        }
    }
    return true;
}

bool writeBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

bool saveJpeg(const QImage& image, const QString& path) {
    return image.save(path, "JPG", 90);
}

int run(const QString& sitesPath, const QString& outputPath) {
    const QDir out(outputPath);
    for (const char* folder : {"files/links", "Skins"}) {
        if (!out.mkpath(QString::fromLatin1(folder))) {
            std::fprintf(stderr, "tn_make_assets: cannot create %s\n", folder);
            return 1;
        }
    }
    bool ok = true;
    const auto check = [&ok](bool done, const QString& path) {
        if (!done) {
            std::fprintf(stderr, "tn_make_assets: cannot write %s\n", qPrintable(path));
            ok = false;
        }
    };

    std::vector<SiteCard> sites;
    if (!readSites(sitesPath, sites)) {
        std::fprintf(stderr, "tn_make_assets: cannot read %s\n", qPrintable(sitesPath));
        return 1;
    }
    for (std::size_t i = 0; i < sites.size(); ++i) {
        const QString path = out.filePath(QStringLiteral("files/links/") + sites[i].thumbnail);
        check(saveJpeg(thumbnail(sites[i].title, emblemFor(sites[i].thumbnail, i), i), path), path);
    }
    const QString backgroundPath = out.filePath(QStringLiteral("Skins/CurrentAddLinksBackground.jpg"));
    check(saveJpeg(addLinksBackground(), backgroundPath), backgroundPath);

    for (const ActivityArt& activity : kActivities) {
        const QString folder = QStringLiteral("Activities/") + QLatin1String(activity.name);
        if (!out.mkpath(folder)) {
            std::fprintf(stderr, "tn_make_assets: cannot create %s\n", qPrintable(folder));
            return 1;
        }
        const QString picturePath = out.filePath(folder + QStringLiteral("/150x150.jpg"));
        check(saveJpeg(activity.picture(), picturePath), picturePath);
        const QString moviePath =
            out.filePath(folder + u'/' + QLatin1String(activity.name) + QStringLiteral(".swf"));
        check(writeBytes(moviePath, blankMovie(activity.stage)), moviePath);
    }

    const std::array<std::pair<const char*, Samples>, 7> sounds{{
        {"tick", tickSound()},
        {"timeup", timeUpSound()},
        {"alert", alertSound()},
        {"decent", decentSound()},
        {"bass", bassSound()},
        {"exit", exitSound()},
        {"slip", slipSound()},
    }};
    for (const auto& [name, samples] : sounds) {
        const QString path = out.filePath(QStringLiteral("files/%1.wav").arg(QLatin1String(name)));
        check(writeBytes(path, wavBytes(samples)), path);
    }
    return ok ? 0 : 1;
}

}  // namespace
}  // namespace tn

int main(int argc, char** argv) {
    // Drawing text needs a platform plugin; the offscreen one needs no display.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QGuiApplication app(argc, argv);
    const QStringList args = QGuiApplication::arguments();
    if (args.size() != 3) {
        std::fprintf(stderr, "usage: tn_make_assets <sites.ini> <output folder>\n");
        return 2;
    }
    return tn::run(args[1], args[2]);
}
