// The page layout of a report, described as data: title, columns and bands.
#include "reports/reportlayout.h"

#include "app/globals.h"
#include "platform/picture/calendar.h"
#include "platform/picture/format.h"
#include "platform/profile/profile.h"

#include <QHash>

#include <memory>

namespace melodex::reports {

namespace {
const QString FontsSection = QStringLiteral("Fonts");
} // namespace

ReportColumn ReportColumn::field(const QString &caption, double weight, int source, int field,
                                 const QString &picture, Qt::Alignment alignment)
{
    const picture::Picture pic = picture::Picture::parse(picture);
    const QChar letter = pic.letter();
    const bool isText = !pic.isValid() || letter == u'S';
    TextOf text;
    if (isText) {
        text = [source, field](const ReportRecord &r) {
            const store::Value &v = r.value(source, field);
            return v.typeId() == QMetaType::QString ? v.toString() : v.toString().trimmed();
        };
    } else {
        // Formatting dates and numbers is most of the cost of a line; catalogues repeat them.
        auto cache = std::make_shared<QHash<qint64, QString>>();
        text = [source, field, pic, cache](const ReportRecord &r) {
            const store::Value &v = r.value(source, field);
            if (v.typeId() == QMetaType::QString)
                return picture::format(picture::Value(v.toString()), pic);
            const qint64 n = v.toLongLong();
            auto it = cache->constFind(n);
            if (it == cache->cend()) {
                if (cache->size() >= 8192)
                    cache->clear();
                it = cache->insert(n, picture::format(picture::Value(n), pic));
            }
            return *it;
        };
    }
    return ReportColumn{caption, weight, alignment, std::move(text), widestValues(pic)};
}

ReportColumn ReportColumn::computed(const QString &caption, double weight, TextOf text,
                                    Qt::Alignment alignment, QStringList widest)
{
    return ReportColumn{caption, weight, alignment, std::move(text), std::move(widest)};
}

QStringList ReportColumn::widestValues(const picture::Picture &pic)
{
    QStringList out;
    auto add = [&out](const QString &text) {
        if (!text.isEmpty() && !text.contains(u'#') && !out.contains(text))
            out << text;
    };
    switch (pic.kind()) {
    case picture::Picture::Kind::Number:
        // The most digits that fit, of each digit: digits need not be equally wide.
        for (int d = 1; d <= 9; ++d) {
            QString best;
            qint64 value = 0;
            for (int digits = 1; digits <= 18; ++digits) {
                value = value * 10 + d;
                const QString shown = picture::format(picture::Value(value), pic);
                if (shown.contains(u'#'))
                    break;
                best = shown;
                if (pic.isSigned())
                    add(picture::format(picture::Value(-value), pic));
            }
            add(best);
        }
        break;
    case picture::Picture::Kind::Date: {
        // Every day of a leap year: each month and weekday name, each day of the month.
        const QDate first(2000, 1, 1);
        for (int day = 0; day < 366; ++day)
            add(picture::format(picture::Value(qint64(picture::dayNumber(first.addDays(day)))),
                                pic));
        break;
    }
    case picture::Picture::Kind::Time:
        for (int h = 0; h < 24; ++h)
            for (int m : {0, 8, 11, 22, 33, 44, 55, 59})
                add(picture::format(picture::Value(qint64(picture::timeValue(h, m, m))), pic));
        break;
    default:
        break;
    }
    return out;
}

ReportFont ReportFont::read(const QString &procedure)
{
    ReportFont f;
    f.name =
        Profile::readString(PreferencesIni, FontsSection, QStringLiteral("FontName") + procedure)
            .left(32);
    f.size = Profile::readInt(PreferencesIni, FontsSection, QStringLiteral("FontSize") + procedure);
    f.color =
        Profile::readInt(PreferencesIni, FontsSection, QStringLiteral("FontColor") + procedure);
    f.style =
        Profile::readInt(PreferencesIni, FontsSection, QStringLiteral("FontStyle") + procedure);
    return f;
}

bool ReportFont::write(const QString &procedure) const
{
    return Profile::writeString(PreferencesIni, FontsSection,
                                QStringLiteral("FontName") + procedure, name.left(32)) &&
           Profile::writeInt(PreferencesIni, FontsSection, QStringLiteral("FontSize") + procedure,
                             size) &&
           Profile::writeInt(PreferencesIni, FontsSection, QStringLiteral("FontColor") + procedure,
                             color) &&
           Profile::writeInt(PreferencesIni, FontsSection, QStringLiteral("FontStyle") + procedure,
                             style);
}

void ReportFont::applyTo(ReportLayout &layout) const
{
    if (!isSet())
        return;
    layout.fontFamily = name;
    layout.fontSize = size;
    layout.fontColor = QColor::fromRgb(QRgb(color & 0xFFFFFF));
    const int weight = style & 0xFFF;
    layout.fontWeight = weight > 0 ? std::clamp(weight, 100, 900) : int(QFont::Normal);
    layout.fontItalic = (style & 0x1000) != 0;
}

QFont ReportFont::toFont() const
{
    QFont font(name.isEmpty() ? QStringLiteral("DejaVu Sans") : name);
    font.setPointSize(size > 0 ? size : 8);
    const int weight = style & 0xFFF;
    if (weight > 0)
        font.setWeight(QFont::Weight(std::clamp(weight, 100, 900)));
    font.setItalic((style & 0x1000) != 0);
    font.setUnderline((style & 0x2000) != 0);
    font.setStrikeOut((style & 0x4000) != 0);
    return font;
}

ReportFont ReportFont::fromFont(const QFont &font, const QColor &color)
{
    ReportFont f;
    f.name = font.family().left(32);
    f.size = font.pointSize() > 0 ? font.pointSize() : qRound(font.pointSizeF());
    f.color = int(color.rgb() & 0xFFFFFF);
    f.style = int(font.weight()) | (font.italic() ? 0x1000 : 0) | (font.underline() ? 0x2000 : 0) |
              (font.strikeOut() ? 0x4000 : 0);
    return f;
}

} // namespace melodex::reports
