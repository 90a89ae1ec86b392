#pragma once

#include <QIcon>
#include <QPushButton>
#include <QRect>

namespace kartevo {

// A button that shows only a 16 × 16 picture (a picker arrow, a hand, a font sign); it is never
// pressed by Enter.
inline QPushButton *GlyphButton(QWidget *parent, const char *name, const QIcon &icon, const QRect &geometry)
{
    auto *button = new QPushButton(parent);
    button->setObjectName(QLatin1String(name));
    button->setIcon(icon);
    button->setIconSize(QSize(16, 16));
    button->setGeometry(geometry);
    button->setAutoDefault(false);
    return button;
}

} // namespace kartevo
