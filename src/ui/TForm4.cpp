#include "TForm4.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWidget>

#include <functional>
#include <utility>

#include "AboutPicture.h"
#include "DialogLook.h"
#include "LanguageTexts.h"
#include "WindowZoom.h"

namespace kwadrill {

using namespace Qt::StringLiterals;

namespace {

constexpr QSize kClientSize{500, 375};
constexpr QRect kImage1Geometry{0, 0, 500, 375};
constexpr QRect kLabelGeometry{4, 200, 301, 173};
constexpr QPoint kShadowOffset{1, -1};
constexpr QRgb kShadowColour = qRgb(0, 0, 255);
constexpr QRgb kTextColour = qRgb(0, 255, 0);
constexpr int kLabelFlags = Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap;

// A child that reports a click (press and release inside it) to its owner.
class ClickableWidget : public QWidget {
public:
    ClickableWidget(QWidget* parent, std::function<void()> onClick)
        : QWidget(parent), onClick_(std::move(onClick)) {}

protected:
    void mousePressEvent(QMouseEvent* event) override { event->accept(); }
    void mouseReleaseEvent(QMouseEvent* event) override {
        if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
            onClick_();
        }
    }

private:
    std::function<void()> onClick_;
};

class PictureView : public ClickableWidget {
public:
    PictureView(QWidget* parent, std::function<const QImage&()> picture,
                std::function<void()> onClick)
        : ClickableWidget(parent, std::move(onClick)), picture_(std::move(picture)) {}

protected:
    void paintEvent(QPaintEvent*) override {
        const QImage& picture = picture_();
        if (picture.isNull()) return;
        QPainter painter(this);
        painter.scale(ZoomOf(*this), ZoomOf(*this));
        painter.setRenderHint(QPainter::SmoothPixmapTransform);  // a photograph
        painter.drawImage(QPoint(0, 0), picture);
    }

private:
    std::function<const QImage&()> picture_;
};

// Text drawn twice, a blue shadow one pixel up and right, then lime on top;
// no background of its own.
class ShadowLabel : public ClickableWidget {
public:
    ShadowLabel(QWidget* parent, QString text, std::function<void()> onClick)
        : ClickableWidget(parent, std::move(onClick)), text_(std::move(text)) {}

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        // In the described layout's pixels, so the lines break as at 1x.
        painter.scale(ZoomOf(*this), ZoomOf(*this));
        painter.setFont(LogicalFont(*this));
        const QRect box(QPoint(), LogicalSize(*this));
        painter.setPen(QColor(kShadowColour));
        painter.drawText(box.translated(kShadowOffset), kLabelFlags, text_);
        painter.setPen(QColor(kTextColour));
        painter.drawText(box, kLabelFlags, text_);
    }

private:
    QString text_;
};

}  // namespace

TForm4::TForm4(QWidget* parent) : QDialog(parent) {
    setObjectName(u"Form4"_s);
    SetUpDialog(*this, kClientSize);
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    QPalette black = palette();
    black.setColor(QPalette::Window, Qt::black);
    setPalette(black);

    auto* image1 = new PictureView(
        this, [this]() -> const QImage& { return Picture(); }, [this] { Image1Click(); });
    image1->setObjectName(u"Image1"_s);
    image1->setGeometry(kImage1Geometry);

    auto* rxLabel1 =
        new ShadowLabel(this, AboutLabelLines().join(u'\n'), [this] { Image1Click(); });
    rxLabel1->setObjectName(u"RxLabel1"_s);
    rxLabel1->setGeometry(kLabelGeometry);
    QFont bold = DialogFont();
    bold.setBold(true);
    rxLabel1->setFont(bold);
}

// Decoded when first wanted, not with the box: the box is made at start-up,
// before the main window shows, and is rarely opened.
const QImage& TForm4::Picture() const {
    const qreal ratio = devicePixelRatioF() * ZoomOf(*this);
    if (!picture_ || pictureRatio_ != ratio) {
        picture_ = LoadAboutPicture(ratio);
        pictureRatio_ = ratio;
    }
    return *picture_;
}

void TForm4::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TForm4::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    CentreOnScreen(*this);
}

void TForm4::Image1Click() {
    accept();
}

}  // namespace kwadrill
