#include "window/TForm4.h"

#include "store/TextRules.h"

#include "shell/AuthorSite.h"
#include "window/Placement.h"
#include "window/TBevelLabel.h"

#include <QEvent>
#include <QFont>
#include <QLabel>
#include <QMouseEvent>
#include <QPalette>
#include <QScreen>
#include <QShowEvent>

using namespace Qt::StringLiterals;

namespace window {

namespace {

QFont windowFont(const QString& family, int pixelHeight, bool italic = false)
{
    QFont f(family);
    f.setPixelSize(pixelHeight);
    f.setBold(true);
    f.setItalic(italic);
    return f;
}

void setTextColor(QLabel* label, const QColor& color)
{
    QPalette pal = label->palette();
    pal.setColor(QPalette::WindowText, color);
    label->setPalette(pal);
}

} // namespace

TForm4::TForm4(std::function<void(const QString& address)> linkClicked, const QIcon& appIcon,
               const std::function<void()>& startMonitorTimer, QWidget* parent)
    : QDialog(parent), m_linkClicked(std::move(linkClicked))
{
    setObjectName(u"Form4"_s);
    // A fixed dialog frame with only the close button.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(355, 184);
    setWindowTitle(store::ProductName() + u"のバージョン情報"_s);

    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(255, 255, 0));
    setPalette(pal);
    setAutoFillBackground(true);
    // Plain moves over the window take the link look off the address.
    setMouseTracking(true);

    const QString tahoma = u"Tahoma"_s;

    m_image1 = new QLabel(this);
    m_image1->setObjectName(u"Image1"_s);
    m_image1->setGeometry(24, 24, 32, 32);
    m_image1->setPixmap(appIcon.pixmap(QSize(32, 32)));

    m_bevelLabel1 = new TBevelLabel(store::ProductName(), this);
    m_bevelLabel1->setObjectName(u"BevelLabel1"_s);
    m_bevelLabel1->setGeometry(73, 23, 231, 33);
    m_bevelLabel1->setFont(windowFont(tahoma, 27));
    m_bevelLabel1->setFontColor(QColor(0, 0, 0));
    m_bevelLabel1->setShadowColor(QColor(255, 255, 255));

    m_bevelLabel2 = new TBevelLabel(u"Ver "_s + QLatin1StringView(MIRUBERO_VERSION) + u"  "_s, this);
    m_bevelLabel2->setObjectName(u"BevelLabel2"_s);
    m_bevelLabel2->setGeometry(224, 62, 114, 29);
    m_bevelLabel2->setFont(windowFont(tahoma, 24, true));
    m_bevelLabel2->setFontColor(QColor(255, 0, 0));

    m_bevelLabel3 = new TBevelLabel(u"© 2026 ヨツバネ"_s, this);
    m_bevelLabel3->setObjectName(u"BevelLabel3"_s);
    m_bevelLabel3->setGeometry(46, 110, 295, 29);
    m_bevelLabel3->setFont(windowFont(tahoma, 24));
    m_bevelLabel3->setFontColor(QColor(0, 0, 255));

    m_labelUrl = new QLabel(shell::AuthorSiteUrl(), this);
    m_labelUrl->setObjectName(u"LabelURL"_s);
    m_labelUrl->setTextFormat(Qt::PlainText);
    m_labelUrl->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_labelUrl->setGeometry(8, 151, 333, 16);
    m_labelUrl->setFont(windowFont(u"ＭＳ Ｐゴシック"_s, 16));
    m_labelUrl->setMouseTracking(true);
    m_labelUrl->installEventFilter(this);

    if (startMonitorTimer)
        startMonitorTimer();
}

void TForm4::showModalAbout()
{
    exec();
}

QString TForm4::LabelURLCaption() const
{
    return m_labelUrl->text();
}

bool TForm4::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_labelUrl)
        return QDialog::eventFilter(watched, event);

    switch (event->type()) {
    case QEvent::MouseMove:
        setLinkHover(true);
        // Taken here, so that the window below does not see it and undo the hover look.
        return true;
    case QEvent::MouseButtonPress:
        return static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton;
    case QEvent::MouseButtonRelease: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() != Qt::LeftButton)
            return false;
        if (m_labelUrl->rect().contains(mouse->position().toPoint()) && m_linkClicked)
            m_linkClicked(m_labelUrl->text());
        return true;
    }
    default:
        return false;
    }
}

void TForm4::showEvent(QShowEvent* event)
{
    // Centred at every showing, once the native window and its frame exist.
    CentreOnScreen(*this, false);
    QDialog::showEvent(event);
}

void TForm4::mouseMoveEvent(QMouseEvent* event)
{
    setLinkHover(false);
    QDialog::mouseMoveEvent(event);
}

void TForm4::setLinkHover(bool hover)
{
    // The cursor belongs to the window; the label has none of its own and shows it too.
    setCursor(hover ? Qt::PointingHandCursor : Qt::ArrowCursor);
    setTextColor(m_labelUrl, hover ? QColor(255, 0, 0) : QColor(0, 0, 0));
}

} // namespace window
