#pragma once

#include <QWidget>

namespace window {

// The window that shows a slot's picture enlarged. Created hidden at start-up.
class TKakudaiGazoForm final : public QWidget {
    Q_OBJECT

public:
    explicit TKakudaiGazoForm(QWidget* parent = nullptr);
};

} // namespace window
