#include "printing/report.h"

#include <algorithm>

namespace kartevo::report {

Item *Band::item(const QString &name)
{
    for (Item &it : items) {
        if (it.name == name)
            return &it;
    }
    return nullptr;
}

const Item *Band::item(const QString &name) const
{
    return const_cast<Band *>(this)->item(name);
}

QSizeF PictureSize(const QSizeF &box, const QSize &pixels, double screenDpi)
{
    if (pixels.isEmpty() || screenDpi <= 0 || box.isEmpty())
        return {};
    const double mmPerPixel = 25.4 / screenDpi;
    const QSizeF own(pixels.width() * mmPerPixel, pixels.height() * mmPerPixel);
    const double scale = std::min({1.0, box.width() / own.width(), box.height() / own.height()});
    return own * scale;
}

QSizeF PictureSize(const Item &item, double screenDpi)
{
    return PictureSize(QSizeF(item.width, item.height), item.picture.size(), screenDpi);
}

QString DataSource::value(int row, const QString &field) const
{
    if (row < 0 || row >= rows.size())
        return {};
    const int column = int(fields.indexOf(field));
    if (column < 0)
        return {};
    return rows.at(row).value(column);
}

Band *Report::band(const QString &name)
{
    for (Band &b : bands) {
        if (b.name == name)
            return &b;
    }
    return nullptr;
}

const Band *Report::band(const QString &name) const
{
    return const_cast<Report *>(this)->band(name);
}

Item *Report::item(const QString &name)
{
    for (Band &b : bands) {
        if (Item *it = b.item(name))
            return it;
    }
    return nullptr;
}

const Item *Report::item(const QString &name) const
{
    return const_cast<Report *>(this)->item(name);
}

DataSource *Report::source(const QString &name)
{
    for (DataSource &s : sources) {
        if (s.name == name)
            return &s;
    }
    return nullptr;
}

const DataSource *Report::source(const QString &name) const
{
    return const_cast<Report *>(this)->source(name);
}

} // namespace kartevo::report
