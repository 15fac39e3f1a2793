#pragma once

#include <QString>

namespace shell {

// What a fetched page leaves for the notices: whether a price changed, and the last balloon's text.
struct PriceNotice {
    bool KakakuChanged = false;
    QString BalloonText;
};

// The tray's hint and balloons, as the page retrieval reaches them through the resident side.
class TrayNotices {
public:
    virtual ~TrayNotices() = default;

    virtual void SetTrayHint(const QString& hint) = 0;
    virtual void ShowBalloon(const QString& title, const QString& text) = 0;
};

} // namespace shell
