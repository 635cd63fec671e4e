#include "GameWindowDriver.h"

#include <QDeadlineTimer>
#include <QProcess>
#include <QThread>

#include <limits>
#include <optional>

#include "GameSandbox.h"
#include "XWindows.h"

namespace {

constexpr QPoint kWellOrigin{136, 4};
constexpr int kCellSize = 21;
constexpr int kCellPictures = 8;  // BITMAP_1 (empty) .. BITMAP_8
constexpr QPoint kCounterOrigin{8, 228};
constexpr QSize kDigitSize{16, 21};
constexpr int kCounterDigits = 7;
constexpr QPoint kFirstButtonCentre{64, 27};
constexpr int kButtonPitch = 24;
constexpr int kToolTimeoutMs = 10000;
constexpr int kPollMs = 50;
const QString kMainCaption = QStringLiteral("QZ's Kwadrill game");
const QString kXdotool = QStringLiteral("xdotool");

// The caption as a POSIX extended regular expression matching only itself.
QString ExactPattern(const QString& caption) {
    QString pattern = QStringLiteral("^");
    for (QChar ch : caption) {
        if (QStringLiteral(".[]{}()\\*+?^$|").contains(ch)) pattern += QLatin1Char('\\');
        pattern += ch;
    }
    return pattern + QLatin1Char('$');
}

QString Run(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(kToolTimeoutMs);
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

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

QImage Picture(const QString& name, int scale) {
    const QString suffix = scale == 1 ? QString() : QStringLiteral("@%1x").arg(scale);
    return QImage(QStringLiteral(":/bitmaps/") + name + suffix)
        .convertToFormat(QImage::Format_RGB32);
}

// The picture drawn with white as the transparent colour over one plain
// background: its other pixels exactly, the background everywhere else.
bool ShowsTransparentPicture(const QImage& shown, const QImage& picture) {
    if (shown.size() != picture.size()) return false;
    std::optional<QRgb> background;
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            const QRgb p = picture.pixel(x, y);
            const QRgb s = shown.pixel(x, y);
            if (p != qRgb(255, 255, 255)) {
                if (s != p) return false;
            } else if (!background) {
                background = s;
            } else if (*background != s) {
                return false;
            }
        }
    }
    return true;
}

}  // namespace

GameWindowDriver::GameWindowDriver(const GameSandbox& sandbox, int scale, Scaling scaling)
    : scale_(scale), scaling_(scaling), game_(sandbox, QStringLiteral("xcb")) {
    for (int n = 1; n <= kCellPictures; ++n) {
        cellPictures_.push_back(Picture(QStringLiteral("BITMAP_%1").arg(n), scale));
    }
    for (int d = 0; d <= 9; ++d)
        digitPictures_.push_back(Picture(QStringLiteral("DG%1").arg(d), scale));
    if (scale != 1 && scaling == Scaling::Desktop)
        game_.SetEnvironmentValue(QStringLiteral("QT_SCALE_FACTOR"), QString::number(scale));
}

bool GameWindowDriver::Start(const QStringList& arguments) {
    if (scaling_ == Scaling::Zoom)
        return game_.Start(QStringList{QStringLiteral("--zoom"), QString::number(scale_)} +
                           arguments);
    return game_.Start(arguments);
}

QString GameWindowDriver::FindWindow(const QString& caption, int timeoutMs) {
    const QDeadlineTimer deadline(timeoutMs);
    for (;;) {
        const QStringList ids =
            Run(kXdotool, {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                           QStringLiteral("--name"), ExactPattern(caption)})
                .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        if (!ids.isEmpty()) return ids.first();
        if (deadline.hasExpired()) return {};
        QThread::msleep(kPollMs);
    }
}

bool GameWindowDriver::WaitUntilGone(const QString& windowId, int timeoutMs) {
    const QDeadlineTimer deadline(timeoutMs);
    for (;;) {
        const QStringList visible =
            Run(kXdotool, {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                           QStringLiteral("--name"), QStringLiteral(".")})
                .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        if (!visible.contains(windowId)) return true;
        if (deadline.hasExpired()) return false;
        QThread::msleep(kPollMs);
    }
}

bool GameWindowDriver::FindMainWindow(int timeoutMs) {
    const QDeadlineTimer deadline(timeoutMs);
    windowId_ = FindWindow(kMainCaption, timeoutMs);
    if (windowId_.isEmpty()) return false;
    // The window is mapped before its first paint: it counts once its
    // counter reads as digits.
    while (ReadScore(Grab()).contains(u'?')) {
        if (deadline.hasExpired()) return false;
        QThread::msleep(kPollMs);
    }
    Focus(windowId_);
    return true;
}

void GameWindowDriver::Focus(const QString& windowId) {
    Run(kXdotool, {QStringLiteral("windowfocus"), QStringLiteral("--sync"), windowId});
}

void GameWindowDriver::Activate(const QString& windowId) {
    Run(kXdotool, {QStringLiteral("windowactivate"), QStringLiteral("--sync"), windowId});
}

bool GameWindowDriver::RequestClose(const QString& windowId) {
    return SendCloseRequest(windowId.toULong());
}

void GameWindowDriver::ClickIn(const QString& windowId, QPoint clientPos) const {
    Run(kXdotool, {QStringLiteral("mousemove"), QStringLiteral("--window"), windowId,
                   QString::number(clientPos.x() * scale_), QString::number(clientPos.y() * scale_),
                   QStringLiteral("click"), QStringLiteral("1")});
}

void GameWindowDriver::ClickButton(int placeFromTop) const {
    Click(kFirstButtonCentre + QPoint(0, kButtonPitch * placeFromTop));
}

void GameWindowDriver::Key(const QString& keysym) {
    Keys({keysym});
}

void GameWindowDriver::Keys(const QStringList& keysyms) {
    Run(kXdotool, QStringList{QStringLiteral("key")} + keysyms);
}

void GameWindowDriver::Type(const QString& text) {
    Run(kXdotool, {QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("30"), text});
}

QImage GameWindowDriver::Grab(const QString& windowId) {
    return GrabWindow(windowId.toULong());
}

QString GameWindowDriver::ReadScore(const QImage& screen) const {
    QString digits;
    for (int i = 0; i < kCounterDigits; ++i) {
        const QImage shown = CounterDigit(screen, i);
        QChar digit = u'?';
        for (int d = 0; d < static_cast<int>(digitPictures_.size()); ++d) {
            if (ShowsTransparentPicture(shown, digitPictures_[d])) digit = QChar(u'0' + d);
        }
        digits += digit;
    }
    return digits;
}

QImage GameWindowDriver::CounterDigit(const QImage& screen, int place) const {
    return screen.copy(QRect((kCounterOrigin + QPoint(place * kDigitSize.width(), 0)) * scale_,
                             kDigitSize * scale_));
}

GameWindowDriver::Cells GameWindowDriver::ReadWell(const QImage& screen) const {
    Cells cells{};
    const int cellSize = kCellSize * scale_;
    for (int c = 0; c < kColumns; ++c) {
        for (int r = 0; r < kRows; ++r) {
            const QImage cell =
                screen.copy(kWellOrigin.x() * scale_ + c * cellSize,
                            kWellOrigin.y() * scale_ + r * cellSize, cellSize, cellSize);
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
