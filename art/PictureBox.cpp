#include "art/PictureBox.h"

#include <QPainter>

PictureBox::PictureBox(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent, false);
}

void PictureBox::setImage(const QImage& image)
{
    image_ = image;
    update();
}

void PictureBox::setBackgroundImage(const QIcon& picture)
{
    background_ = picture;
    update();
}

void PictureBox::setSizeMode(SizeMode mode)
{
    mode_ = mode;
    update();
}

QRect PictureBox::ImageRect(QSize imageSize, QSize area, SizeMode mode)
{
    switch (mode) {
    case Normal:
        return QRect(QPoint(0, 0), imageSize);
    case StretchImage:
        return QRect(QPoint(0, 0), area);
    case Zoom: {
        const QSize s = imageSize.scaled(area, Qt::KeepAspectRatio);
        return QRect(QPoint((area.width() - s.width()) / 2, (area.height() - s.height()) / 2), s);
    }
    case CenterImage:
    default:
        return QRect(QPoint((area.width() - imageSize.width()) / 2,
                            (area.height() - imageSize.height()) / 2), imageSize);
    }
}

void PictureBox::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.fillRect(rect(), palette().color(QPalette::Window));
    if (!image_.isNull()) {
        p.drawImage(ImageRect(image_.size(), size(), mode_), image_);
        return;
    }
    if (background_.isNull())
        return;
    // Until the first picture, the backdrop fills the area as far as its
    // proportions allow; a vector picture is drawn at that size, a bitmap
    // scaled up to it.
    const QSize natural = background_.actualSize(QSize(4096, 4096));
    if (natural.isEmpty())
        return;
    const QRect r = ImageRect(natural, size(), Zoom);
    const QPixmap picture = background_.pixmap(r.size());
    if (picture.isNull())
        return;
    p.drawPixmap(r, picture);
    // Beside it, its edges go on to the area's edges, so an opaque picture
    // shows no bands; a transparent edge leaves the area's colour.
    const int w = picture.width();
    const int h = picture.height();
    if (r.left() > 0) {
        p.drawPixmap(QRect(0, r.top(), r.left(), r.height()), picture, QRect(0, 0, 1, h));
        p.drawPixmap(QRect(r.right() + 1, r.top(), width() - r.right() - 1, r.height()), picture, QRect(w - 1, 0, 1, h));
    }
    if (r.top() > 0) {
        p.drawPixmap(QRect(r.left(), 0, r.width(), r.top()), picture, QRect(0, 0, w, 1));
        p.drawPixmap(QRect(r.left(), r.bottom() + 1, r.width(), height() - r.bottom() - 1), picture, QRect(0, h - 1, w, 1));
    }
}
