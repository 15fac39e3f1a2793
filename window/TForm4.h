#pragma once

#include <QDialog>
#include <QIcon>

#include <functional>

class QLabel;
class QMouseEvent;
class QShowEvent;

namespace window {

class TBevelLabel;

// The About window: the program's name, version and copyright, and the
// author's site as a link. Made once at start-up, hidden, and shown modally
// from the menu.
class TForm4 final : public QDialog {
    Q_OBJECT

public:
    // startMonitorTimer is called once, when the window is complete: the
    // auction monitor starts only after every window exists. A click on the link hands
    // its address to linkClicked, which opens it.
    TForm4(std::function<void(const QString& address)> linkClicked, const QIcon& appIcon,
           const std::function<void()>& startMonitorTimer, QWidget* parent = nullptr);

    // Shows the window in the middle of the screen until the user closes it.
    void showModalAbout();

    // The address shown in the link label.
    QString LabelURLCaption() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void setLinkHover(bool hover);

    std::function<void(const QString& address)> m_linkClicked;

    QLabel* m_image1 = nullptr;
    TBevelLabel* m_bevelLabel1 = nullptr;
    TBevelLabel* m_bevelLabel2 = nullptr;
    TBevelLabel* m_bevelLabel3 = nullptr;
    QLabel* m_labelUrl = nullptr;
};

} // namespace window
