#include "platform/linux/QtEventLoop.h"

#include <QApplication>
#include <QCloseEvent>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

// A window that refuses to close, as the watch-list window does while it asks whether to save.
class RefusingWindow final : public QWidget {
public:
    int closeRequests = 0;

protected:
    void closeEvent(QCloseEvent* event) override
    {
        ++closeRequests;
        event->ignore();
    }
};

TEST(QtEventLoop, QuitEndsTheLoopWithoutAskingAShowingWindow)
{
    RefusingWindow window;
    window.show();
    platform::QtEventLoop loop;
    QTimer::singleShot(0, &window, [&loop] { loop.quit(); });
    // Should the quit be refused, this ends the loop with another code.
    QTimer::singleShot(5000, &window, [] { QCoreApplication::exit(1); });
    EXPECT_EQ(QApplication::exec(), 0);
    EXPECT_EQ(window.closeRequests, 0);
}

} // namespace
