#pragma once

#include <QIcon>
#include <QImage>
#include <QWidget>

// A picture area with the four fit modes of the size box, over a background
// picture scaled to fit that shows until the first picture is set.
class PictureBox : public QWidget
{
    Q_OBJECT

public:
    enum SizeMode { CenterImage = 0, Normal = 1, StretchImage = 2, Zoom = 3 };

    explicit PictureBox(QWidget* parent = nullptr);

    void setImage(const QImage& image);
    QImage image() const { return image_; }
    // Drawn as large as fits with its proportions kept, centred, so a vector
    // picture stays sharp.
    void setBackgroundImage(const QIcon& picture);
    void setSizeMode(SizeMode mode);
    SizeMode sizeMode() const { return mode_; }

    // Where the picture is drawn in this widget's rectangle for a mode.
    static QRect ImageRect(QSize imageSize, QSize area, SizeMode mode);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage image_;
    QIcon background_;
    SizeMode mode_ = CenterImage;
};
