#pragma once

#include <QImage>
#include <QSize>
#include <QWidget>

class QPushButton;
class QShowEvent;

namespace window {

class KakudaiImage;

// The window that shows a slot's picture enlarged. Created hidden at start-up, it lives for
// the whole run and only changes visibility.
class TKakudaiGazoForm final : public QWidget {
    Q_OBJECT

public:
    explicit TKakudaiGazoForm(QWidget* parent = nullptr);

    // The size of the enlarged picture: at most half the screen high or half the screen
    // wide, keeping the picture's proportions, and never larger than the picture itself.
    static QSize ImageSize(QSize picture, QSize screen);

    // Shows picture under caption without blocking. An open window changes its picture and
    // caption but keeps its size, which is set only when it becomes visible.
    void ShowEnlarged(const QImage& picture, const QString& caption);

protected:
    void showEvent(QShowEvent* event) override;

private:
    KakudaiImage* m_image1 = nullptr;
    QPushButton* m_button1 = nullptr;
};

} // namespace window
