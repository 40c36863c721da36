#include "ui/look.h"

#include <QWidget>

namespace parlix {

QFont WindowFont(int pixelHeight) {
    QFont font;
    font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"),
                      QStringLiteral("Arial"), QStringLiteral("DejaVu Sans")});
    font.setPixelSize(pixelHeight);
    return font;
}

QIcon ThemeIcon(const QWidget& widget, const char* themeName, QStyle::StandardPixmap fallback) {
    QIcon icon = QIcon::fromTheme(QString::fromLatin1(themeName));
    if (icon.isNull()) {
        icon = widget.style()->standardIcon(fallback, nullptr, &widget);
    }
    return icon;
}

}  // namespace parlix
