#include "GameWindowDriver.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcessEnvironment>
#include <QThread>

#include <limits>

namespace {
constexpr QPoint kWellOrigin{136, 4};
constexpr int kCellSize = 21;
constexpr QPoint kFirstButtonCentre{64, 27};
constexpr int kButtonPitch = 24;
const QString kCaption = QStringLiteral("QZ's Kwadrill game");

int Difference(const QImage& a, const QImage& b) {
    int sum = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = b.pixel(x, y);
            sum += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) +
                   std::abs(qBlue(p) - qBlue(q));
        }
    }
    return sum;
}
}  // namespace

GameWindowDriver::GameWindowDriver(const QTemporaryDir& home) : home_(home) {
    for (int n = 1; n <= 8; ++n) {
        cellPictures_.push_back(
            QImage(QStringLiteral(":/bitmaps/BITMAP_%1").arg(n)).convertToFormat(QImage::Format_RGB32));
    }
    for (const char* dir : {"home", "config", "data", "runtime", "bin", "tmp"}) {
        QDir().mkpath(Path(QString::fromLatin1(dir)));
    }
    QFile::setPermissions(Path(QStringLiteral("runtime")),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QString copy = Path(QStringLiteral("bin/kwadrill"));
    if (!QFile::exists(copy)) {
        QFile::copy(QStringLiteral(KWADRILL_EXECUTABLE), copy);
    }
}

GameWindowDriver::~GameWindowDriver() { Terminate(); }

QString GameWindowDriver::Path(const QString& relative) const { return home_.filePath(relative); }

QString GameWindowDriver::ExecutableDir() const { return Path(QStringLiteral("bin")); }

bool GameWindowDriver::Start(const QStringList& arguments) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), Path(QStringLiteral("home")));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), Path(QStringLiteral("config")));
    env.insert(QStringLiteral("XDG_DATA_HOME"), Path(QStringLiteral("data")));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), Path(QStringLiteral("runtime")));
    env.insert(QStringLiteral("TMPDIR"), Path(QStringLiteral("tmp")));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    if (!env.contains(QStringLiteral("SDL_AUDIODRIVER"))) {
        env.insert(QStringLiteral("SDL_AUDIODRIVER"), QStringLiteral("dummy"));
    }
    game_.setProcessEnvironment(env);
    game_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    game_.start(Path(QStringLiteral("bin/kwadrill")), arguments);
    return game_.waitForStarted(5000);
}

bool GameWindowDriver::WaitForExit(int milliseconds) { return game_.waitForFinished(milliseconds); }

void GameWindowDriver::Terminate() {
    if (game_.state() != QProcess::NotRunning) {
        game_.terminate();
        if (!game_.waitForFinished(5000)) {
            game_.kill();
            game_.waitForFinished(2000);
        }
    }
}

QString GameWindowDriver::Run(const QString& program, const QStringList& arguments, int timeoutMs) {
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(timeoutMs);
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

bool GameWindowDriver::FindMainWindow(int timeoutMs) {
    const QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired()) {
        const QStringList ids = Run(QStringLiteral("xdotool"),
                                    {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                     QStringLiteral("--name"), QStringLiteral("^") + kCaption + QStringLiteral("$")})
                                    .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        if (!ids.isEmpty()) {
            windowId_ = ids.first();
            Run(QStringLiteral("xdotool"), {QStringLiteral("windowfocus"), QStringLiteral("--sync"), windowId_});
            return true;
        }
        QThread::msleep(100);
    }
    return false;
}

void GameWindowDriver::Click(QPoint clientPos) {
    Run(QStringLiteral("xdotool"),
        {QStringLiteral("mousemove"), QStringLiteral("--window"), windowId_,
         QString::number(clientPos.x()), QString::number(clientPos.y()), QStringLiteral("click"),
         QStringLiteral("1")});
}

void GameWindowDriver::ClickButton(int placeFromTop) {
    Click(kFirstButtonCentre + QPoint(0, kButtonPitch * placeFromTop));
}

void GameWindowDriver::Key(const QString& keysym) {
    Run(QStringLiteral("xdotool"), {QStringLiteral("key"), keysym});
}

void GameWindowDriver::Type(const QString& text) {
    Run(QStringLiteral("xdotool"), {QStringLiteral("type"), QStringLiteral("--delay"),
                                    QStringLiteral("30"), text});
}

QImage GameWindowDriver::Grab() const {
    QProcess import;
    import.start(QStringLiteral("import"),
                 {QStringLiteral("-window"), windowId_, QStringLiteral("png:-")});
    import.waitForFinished(10000);
    return QImage::fromData(import.readAllStandardOutput(), "PNG").convertToFormat(QImage::Format_RGB32);
}

GameWindowDriver::Cells GameWindowDriver::ReadWell() const {
    Cells cells{};
    const QImage screen = Grab();
    for (int c = 0; c < kColumns; ++c) {
        for (int r = 0; r < kRows; ++r) {
            const QImage cell = screen.copy(kWellOrigin.x() + c * kCellSize,
                                            kWellOrigin.y() + r * kCellSize, kCellSize, kCellSize);
            int best = -1;
            int bestDifference = std::numeric_limits<int>::max();
            for (int n = 0; n < static_cast<int>(cellPictures_.size()); ++n) {
                const int d = cell.size() == cellPictures_[n].size()
                                  ? Difference(cell, cellPictures_[n])
                                  : std::numeric_limits<int>::max();
                if (d < bestDifference) {
                    bestDifference = d;
                    best = n;
                }
            }
            cells[c][r] = bestDifference == 0 ? best : -1;
        }
    }
    return cells;
}
