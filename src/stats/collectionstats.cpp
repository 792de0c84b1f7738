// The text form of the collection figures.
#include "stats/collectionstats.h"

#include "platform/picture/calendar.h"

#include <algorithm>

namespace melodex {

namespace {

// Release dates below this are bare years; day numbers from here on are 1809 and later.
constexpr qint64 FirstDayNumberDate = 3000;

QString grouped(quint64 n)
{
    QString digits = QString::number(n);
    for (qsizetype i = digits.size() - 3; i > 0; i -= 3)
        digits.insert(i, u',');
    return digits;
}

QString line(const QString &label, const QString &figure, int width = 28)
{
    return label.leftJustified(width) + figure;
}

} // namespace

int yearOfDateValue(qint64 value)
{
    if (value <= 0)
        return 0;
    if (value < FirstDayNumberDate)
        return int(value);
    if (value > picture::LastDayNumber)
        return 0;
    const QDate date = picture::dateFromDayNumber(qint32(value));
    return date.isValid() ? date.year() : 0;
}

QString formatCount(qint64 count)
{
    return count < 0 ? u'-' + grouped(quint64(-(count + 1)) + 1) : grouped(quint64(count));
}

QString formatMoney(qint64 cents)
{
    const bool negative = cents < 0;
    // Kept unsigned so that the most negative amount has a magnitude too.
    const quint64 magnitude = negative ? quint64(-(cents + 1)) + 1 : quint64(cents);
    return (negative ? QStringLiteral("-") : QString()) + grouped(magnitude / 100) + u'.' +
           QStringLiteral("%1").arg(magnitude % 100, 2, 10, QLatin1Char('0'));
}

QString formatDuration(qint64 hundredths)
{
    const qint64 seconds = std::max<qint64>(hundredths, 0) / 100;
    const qint64 hours = seconds / 3600;
    const QString minSec =
        QStringLiteral("%1:%2")
            .arg(hours > 0 ? QStringLiteral("%1").arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
                           : QString::number(seconds / 60))
            .arg(seconds % 60, 2, 10, QLatin1Char('0'));
    return hours > 0 ? QString::number(hours) + u':' + minSec : minSec;
}

QStringList statsText(const CollectionStats &s)
{
    QStringList out;
    out << line(QStringLiteral("Songs"), formatCount(s.songs))
        << line(QStringLiteral("Albums"), formatCount(s.albums))
        << line(QStringLiteral("Categories"), formatCount(s.categories))
        << line(QStringLiteral("Media formats"), formatCount(s.mediaFormats))
        << line(QStringLiteral("Playlists"), formatCount(s.playlists))
        << line(QStringLiteral("Total playing time"), formatDuration(s.totalTime))
        << line(QStringLiteral("Average playing time"), formatDuration(s.averageTime()))
        << line(QStringLiteral("Albums' purchase price"), formatMoney(s.purchasePrice))
        << line(QStringLiteral("Albums' current value"), formatMoney(s.value));

    const auto counts = [&out](const QString &title, const std::vector<NamedCount> &rows,
                               const QString &blank) {
        out << QString() << title;
        for (const NamedCount &r : rows)
            out << line(QStringLiteral("  ") + (r.name.isEmpty() ? blank : r.name),
                        formatCount(r.songs), 44);
    };
    counts(QStringLiteral("Songs per media format"), s.perMedia, QStringLiteral("(no media)"));
    counts(QStringLiteral("Songs per category"), s.perCategory, QStringLiteral("(no category)"));

    out << QString() << QStringLiteral("Songs per release decade");
    for (const DecadeCount &d : s.perDecade)
        out << line(QStringLiteral("  ") + (d.decade == 0 ? QStringLiteral("(no date)")
                                                          : QString::number(d.decade) + u's'),
                    formatCount(d.songs), 44);

    counts(QStringLiteral("Artists with the most songs"), s.topArtists, QString());

    out << QString() << QStringLiteral("Albums by purchase year          price         value");
    for (const YearAmount &y : s.valueByYear)
        out << (QStringLiteral("  ") +
                (y.year == 0 ? QStringLiteral("(no date)") : QString::number(y.year)))
                       .leftJustified(28) +
                   formatMoney(y.purchasePrice).rightJustified(12) +
                   formatMoney(y.value).rightJustified(14);
    return out;
}

} // namespace melodex
