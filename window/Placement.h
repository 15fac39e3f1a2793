#pragma once

#include <QPoint>
#include <QString>

class QLabel;
class QWidget;

namespace window {

// The gap between a labelled edit and its label.
inline constexpr int LabelSpacing = 3;

// A label sized to its text, at a fixed place in its parent.
QLabel* PlacedLabel(const QString& name, const QString& text, QPoint at, QWidget* parent);

// Centres a top-level window, frame included, on its screen: on the whole screen, or on
// the part of it that panels leave free.
void CentreOnScreen(QWidget& window, bool availableArea);

} // namespace window
