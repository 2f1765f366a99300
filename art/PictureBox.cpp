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
    if (image_.isNull() && !background_.isNull()) {
        // Until the first picture, a modest backdrop: half the area, centred.
        const QSize side = (size() / 2).boundedTo(QSize(256, 256));
        const QRect r = ImageRect(side, size(), Zoom).intersected(ImageRect(side, size(), CenterImage));
        background_.paint(&p, r);
    }
    else if (!image_.isNull())
        p.drawImage(ImageRect(image_.size(), size(), mode_), image_);
}
