#pragma once

#include <QString>

namespace shell {

// What a fetched page leaves for the notices: whether a price changed.
struct PriceNotice {
    bool KakakuChanged = false;
};

// The tray's hint and balloons, as the page retrieval reaches them through the resident side.
class TrayNotices {
public:
    virtual ~TrayNotices() = default;

    virtual void SetTrayHint(const QString& hint) = 0;
    virtual void ShowBalloon(const QString& title, const QString& text) = 0;
};

} // namespace shell
