// Reading, writing and fitting saved window placements.
#include "layout/savedplacement.h"

#include "platform/profile/profile.h"

#include <algorithm>

namespace melodex {

namespace {

const QString xKey = QStringLiteral("XPosit");
const QString yKey = QStringLiteral("YPosit");
const QString widthKey = QStringLiteral("Width");
const QString heightKey = QStringLiteral("Height");
const QString maximizeKey = QStringLiteral("Maximize");

std::optional<int> readNumber(const QString &iniFile, const QString &section, const QString &key)
{
    const QString text = Profile::readString(iniFile, section, key);
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok)
        return std::nullopt;
    return value;
}

} // namespace

bool SavedPlacement::write(const QString &iniFile, const QString &section) const
{
    bool ok = Profile::writeString(iniFile, section, maximizeKey,
                                   maximized ? QStringLiteral("Yes") : QStringLiteral("No"));
    ok = Profile::writeInt(iniFile, section, xKey, geometry.x()) && ok;
    ok = Profile::writeInt(iniFile, section, yKey, geometry.y()) && ok;
    ok = Profile::writeInt(iniFile, section, widthKey, geometry.width()) && ok;
    ok = Profile::writeInt(iniFile, section, heightKey, geometry.height()) && ok;
    return ok;
}

std::optional<SavedPlacement> SavedPlacement::read(const QString &iniFile, const QString &section)
{
    const std::optional<int> x = readNumber(iniFile, section, xKey);
    const std::optional<int> y = readNumber(iniFile, section, yKey);
    if (!x || !y)
        return std::nullopt;
    SavedPlacement p;
    const int width = readNumber(iniFile, section, widthKey).value_or(0);
    const int height = readNumber(iniFile, section, heightKey).value_or(0);
    p.geometry = QRect(*x, *y, std::max(width, 0), std::max(height, 0));
    p.maximized = Profile::readString(iniFile, section, maximizeKey) == QLatin1String("Yes");
    return p;
}

std::optional<QRect> SavedPlacement::restoredGeometry(const QRect &current, bool resizable) const
{
    if (!resizable)
        return QRect(geometry.topLeft(), current.size());
    if (geometry.width() <= 0 || geometry.height() <= 0)
        return std::nullopt;
    return geometry;
}

QRect SavedPlacement::fitInto(const QRect &rect, const QRect &area, const QMargins &frame,
                              const QSize &minimum)
{
    if (area.isEmpty())
        return rect;
    const int frameWidth = frame.left() + frame.right();
    const int frameHeight = frame.top() + frame.bottom();
    const int width =
        std::max({std::min(rect.width(), area.width() - frameWidth), minimum.width(), 1});
    const int height =
        std::max({std::min(rect.height(), area.height() - frameHeight), minimum.height(), 1});
    // The frame's outer left/top edge may go no further left/up than the area, and its outer
    // right/bottom edge no further right/down; when the window cannot fit at all (minimum size),
    // its top-left corner wins, so the title bar stays reachable.
    const int maxX = area.x() + area.width() - frameWidth - width + frame.left();
    const int maxY = area.y() + area.height() - frameHeight - height + frame.top();
    const int minX = area.x() + frame.left();
    const int minY = area.y() + frame.top();
    const int x = std::max(std::min(rect.x(), maxX), minX);
    const int y = std::max(std::min(rect.y(), maxY), minY);
    return QRect(x, y, width, height);
}

} // namespace melodex
