#include "window/TKakudaiGazoForm.h"

#include "window/Fonts.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>

using namespace Qt::StringLiterals;

namespace window {

// The picture stretched proportionally into the box, at its top-left corner.
class KakudaiImage final : public QWidget {
public:
    using QWidget::QWidget;

    void setPicture(const QImage& picture)
    {
        m_picture = picture;
        update();
    }
    const QImage& picture() const { return m_picture; }

protected:
    void paintEvent(QPaintEvent*) override
    {
        if (m_picture.isNull())
            return;
        QPainter painter(this);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(QRect(QPoint(0, 0), m_picture.size().scaled(size(), Qt::KeepAspectRatio)),
                          m_picture);
    }

private:
    QImage m_picture;
};

namespace {

// numerator / denominator to the nearest integer, a half to the even one.
int RoundedQuotient(qint64 numerator, qint64 denominator)
{
    qint64 quotient = numerator / denominator;
    const qint64 twice = 2 * (numerator % denominator);
    if (twice > denominator || (twice == denominator && quotient % 2 != 0))
        ++quotient;
    return static_cast<int>(quotient);
}

} // namespace

TKakudaiGazoForm::TKakudaiGazoForm(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(u"KakudaiGazoForm"_s);
    // A fixed frame with the system menu and the minimize box, no maximize box.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);

    m_image1 = new KakudaiImage(this);
    m_image1->setObjectName(u"Image1"_s);

    m_button1 = new QPushButton(u"閉じる"_s, this);
    m_button1->setObjectName(u"Button1"_s);
    m_button1->setFont(PGothicFont(13, true));
    m_button1->setGeometry(16, 0, 81, 33);
    connect(m_button1, &QPushButton::clicked, this, &QWidget::hide);
}

QSize TKakudaiGazoForm::ImageSize(QSize picture, QSize screen)
{
    const qint64 pw = picture.width();
    const qint64 ph = picture.height();
    const qint64 sw = screen.width();
    const qint64 sh = screen.height();
    if (pw <= 0 || ph <= 0 || sw <= 0 || sh <= 0)
        return picture;
    // sw / sh > pw / ph, exactly: the picture is narrower than the screen in proportion.
    if (sw * ph > pw * sh) {
        const qint64 height = sh / 2;
        if (ph > height)
            return {RoundedQuotient(pw * height, ph), static_cast<int>(height)};
        return picture;
    }
    const qint64 width = sw / 2;
    if (pw > width)
        return {static_cast<int>(width), RoundedQuotient(ph * width, pw)};
    return picture;
}

void TKakudaiGazoForm::ShowEnlarged(const QImage& picture, const QString& caption)
{
    QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    const QSize available = screen ? screen->availableGeometry().size() : picture.size();
    m_image1->resize(ImageSize(picture.size(), available));
    m_image1->setPicture(picture);
    setWindowTitle(caption);
    if (isMinimized())
        showNormal();
    else
        show();
    raise();
}

void TKakudaiGazoForm::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // Only when the program shows it: restoring it from the task bar keeps its size.
    if (event->spontaneous())
        return;
    const QSize image = m_image1->size();
    m_image1->move(0, 0);
    m_button1->move(m_button1->x(), image.height() + 5);
    setFixedSize(image.width(), image.height() + m_button1->height() + 10);
    move(0, 0);
}

} // namespace window
