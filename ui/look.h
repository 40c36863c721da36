// The look shared by the program's windows: their font and the pictures of the toolbar.
#pragma once

#include <QFont>
#include <QIcon>
#include <QStyle>

class QWidget;

namespace parlix {

// The windows' font at the given character height in pixels. The windows were drawn for
// "MS Sans Serif"; where that is missing, Liberation Sans (metrically equal to Arial) and then
// DejaVu Sans stand in.
QFont WindowFont(int pixelHeight);

// A theme icon, or the style's standard icon where the desktop has no theme with that name.
// The style draws the disabled look from the same picture.
QIcon ThemeIcon(const QWidget& widget, const char* themeName, QStyle::StandardPixmap fallback);

}  // namespace parlix
