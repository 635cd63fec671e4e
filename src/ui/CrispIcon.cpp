#include "CrispIcon.h"

#include <QApplication>
#include <QIconEngine>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>

namespace kwadrill {

namespace {

constexpr qreal kSharpFrom = 1.25;

class CrispIconEngine : public QIconEngine {
public:
    CrispIconEngine(QImage plain, QImage sharp)
        : plain_(std::move(plain)), sharp_(std::move(sharp)) {}

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State) override {
        if (plain_.isNull() || size.isEmpty()) return {};
        const bool useSharp = !sharp_.isNull() && size.width() > plain_.width() * kSharpFrom;
        QPixmap pixmap = QPixmap::fromImage(
            (useSharp ? sharp_ : plain_).scaled(size, Qt::KeepAspectRatio, Qt::FastTransformation));
        if (mode == QIcon::Normal || mode == QIcon::Active) return pixmap;
        QStyleOption option;
        option.palette = QApplication::palette();
        return QApplication::style()->generatedIconPixmap(mode, pixmap, &option);
    }

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode,
               QIcon::State state) override {
        const qreal ratio = painter->device()->devicePixelRatioF();
        QPixmap picture = pixmap((QSizeF(rect.size()) * ratio).toSize(), mode, state);
        picture.setDevicePixelRatio(ratio);
        painter->drawPixmap(rect.topLeft(), picture);
    }

    QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override { return size; }
    QIconEngine* clone() const override { return new CrispIconEngine(plain_, sharp_); }
    QString key() const override { return QStringLiteral("kwadrill-crisp"); }

private:
    QImage plain_;
    QImage sharp_;
};

}  // namespace

QIcon CrispIcon(const QImage& plain, const QImage& sharp) {
    return QIcon(new CrispIconEngine(plain, sharp));
}

}  // namespace kwadrill
