#include "platform/linux/qt_sound.h"

#include <QFile>
#include <QSoundEffect>
#include <QUrl>

namespace tn {
namespace {

class QtSoundPlayer final : public ISoundPlayer {
public:
    explicit QtSoundPlayer(const QString& path) { effect_.setSource(QUrl::fromLocalFile(path)); }
    void play() override {
        effect_.stop();
        effect_.play();
    }

private:
    QSoundEffect effect_;
};

bool looksLikeWave(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return false;
    const QByteArray head = f.read(12);
    return head.size() == 12 && head.startsWith("RIFF") && head.mid(8, 4) == "WAVE";
}

}  // namespace

std::unique_ptr<ISoundPlayer> QtSoundSystem::open(const std::string& path) {
    const QString file = QString::fromStdString(path);
    if (!looksLikeWave(file)) return nullptr;
    return std::make_unique<QtSoundPlayer>(file);
}

}  // namespace tn
