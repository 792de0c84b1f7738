// Reading lengths, dates, ratings and prices as other programs write them.
#include "importers/sourcevalues.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>

#include <cmath>

namespace melodex::importers {

int parseLength(QStringView text)
{
    text = text.trimmed();
    if (text.isEmpty())
        return 0;
    const QList<QStringView> parts = text.split(u':');
    if (parts.size() > 3)
        return -1;
    double seconds = 0;
    for (qsizetype i = 0; i < parts.size(); ++i) {
        const QStringView part = parts.at(i).trimmed();
        // Only the last part may have a fraction ("3:45.5"); every part is at most six digits
        // so that no sum overflows.
        static const QRegularExpression whole(QStringLiteral("^\\d{1,6}$"));
        static const QRegularExpression fraction(QStringLiteral("^\\d{1,6}(\\.\\d+)?$"));
        const bool last = i == parts.size() - 1;
        if (!(last ? fraction : whole).match(part).hasMatch())
            return -1;
        seconds = seconds * 60 + part.toDouble();
    }
    return int(std::lround(seconds));
}

namespace {

SourceDate dayOrYear(int year, int month, int day)
{
    SourceDate d;
    if (year <= 0)
        return d;
    const QDate date(year, month, day);
    if (date.isValid())
        d.date = date;
    else
        d.year = year;
    return d;
}

} // namespace

SourceDate parseSourceDate(QStringView text, DateOrder order)
{
    text = text.trimmed();
    static const QRegularExpression yearOnly(QStringLiteral("^(\\d{4})$"));
    static const QRegularExpression yearMonth(QStringLiteral("^(\\d{4})[-/.](\\d{1,2})$"));
    static const QRegularExpression yearFirst(
        QStringLiteral("^(\\d{4})[-/.](\\d{1,2})[-/.](\\d{1,2})(?:[ T].*)?$"));
    static const QRegularExpression yearLast(
        QStringLiteral("^(\\d{1,2})[-/.](\\d{1,2})[-/.](\\d{4})(?:[ T].*)?$"));
    if (auto m = yearOnly.match(text); m.hasMatch())
        return dayOrYear(m.capturedView(1).toInt(), 0, 0);
    if (auto m = yearMonth.match(text); m.hasMatch())
        return dayOrYear(m.capturedView(1).toInt(), 0, 0);
    if (auto m = yearFirst.match(text); m.hasMatch())
        return dayOrYear(m.capturedView(1).toInt(), m.capturedView(2).toInt(),
                         m.capturedView(3).toInt());
    if (auto m = yearLast.match(text); m.hasMatch()) {
        const int a = m.capturedView(1).toInt();
        const int b = m.capturedView(2).toInt();
        const int year = m.capturedView(3).toInt();
        bool dayFirst = order == DateOrder::DayFirst;
        if (order == DateOrder::YearFirst)
            dayFirst = a > 12;
        if (a > 12 && b <= 12)
            dayFirst = true;
        else if (b > 12 && a <= 12)
            dayFirst = false;
        return dayFirst ? dayOrYear(year, b, a) : dayOrYear(year, a, b);
    }
    return {};
}

QString ratingOutOfFive(double value, double outOf)
{
    if (!(value > 0) || !(outOf > 0))
        return {};
    const int stars = std::clamp(int(std::lround(value * 5 / outOf)), 1, 5);
    return QString::number(stars);
}

qint64 parsePriceCents(QStringView text)
{
    QString kept;
    for (const QChar c : text)
        if (c.isDigit() || c == u'.' || c == u',')
            kept += c;
    // A sign or digits must be there; "EUR" alone is no price.
    if (!std::any_of(kept.cbegin(), kept.cend(), [](QChar c) { return c.isDigit(); }))
        return -1;
    // The last separator followed by one or two digits is the decimal one; the others group
    // thousands.
    const qsizetype sep = std::max(kept.lastIndexOf(u'.'), kept.lastIndexOf(u','));
    QString whole = kept;
    QString cents;
    if (sep >= 0 && kept.size() - sep - 1 <= 2 && kept.size() - sep - 1 > 0) {
        whole = kept.left(sep);
        cents = kept.mid(sep + 1);
    }
    whole.remove(u'.');
    whole.remove(u',');
    if (whole.size() > 12)
        return -1;
    const qint64 units = whole.isEmpty() ? 0 : whole.toLongLong();
    qint64 c = cents.toLongLong();
    if (cents.size() == 1)
        c *= 10;
    return units * 100 + c;
}

void appendNote(QString &notes, const QString &label, const QString &value)
{
    const QString v = value.trimmed();
    if (v.isEmpty())
        return;
    if (!notes.isEmpty())
        notes += QLatin1Char('\n');
    notes += label.isEmpty() ? v : label + QStringLiteral(": ") + v;
}

QString joinDistinct(const QStringList &names, const QString &separator)
{
    QStringList kept;
    QSet<QString> seen;
    for (const QString &name : names) {
        const QString n = name.trimmed();
        if (n.isEmpty() || seen.contains(n.toCaseFolded()))
            continue;
        seen.insert(n.toCaseFolded());
        kept << n;
    }
    return kept.join(separator);
}

QString plainText(const QString &text)
{
    if (!text.contains(u'<') && !text.contains(u'&'))
        return text.trimmed();
    QString t = text;
    static const QRegularExpression breaks(QStringLiteral("<\\s*(br\\s*/?|/p|/div|/li)\\s*>"),
                                           QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression tags(QStringLiteral("<[^<>]*>"));
    t.replace(breaks, QStringLiteral("\n"));
    t.remove(tags);
    t.replace(QStringLiteral("&nbsp;"), QStringLiteral(" "));
    t.replace(QStringLiteral("&lt;"), QStringLiteral("<"));
    t.replace(QStringLiteral("&gt;"), QStringLiteral(">"));
    t.replace(QStringLiteral("&quot;"), QStringLiteral("\""));
    t.replace(QStringLiteral("&#39;"), QStringLiteral("'"));
    t.replace(QStringLiteral("&amp;"), QStringLiteral("&"));
    return t.trimmed();
}

QString imageSuffix(const QByteArray &data)
{
    if (data.startsWith("\xFF\xD8\xFF"))
        return QStringLiteral("jpg");
    if (data.startsWith("\x89PNG\r\n\x1A\n"))
        return QStringLiteral("png");
    if (data.startsWith("GIF87a") || data.startsWith("GIF89a"))
        return QStringLiteral("gif");
    if (data.startsWith("BM"))
        return QStringLiteral("bmp");
    if (data.startsWith("RIFF") && data.mid(8, 4) == "WEBP")
        return QStringLiteral("webp");
    return {};
}

void readCoverBeside(const QString &sourceFile, const QString &reference, SourceAlbum &album,
                     int line, std::vector<SourceProblem> &problems)
{
    QString ref = reference.trimmed();
    if (ref.isEmpty())
        return;
    if (ref.startsWith(QStringLiteral("file://")))
        ref = ref.mid(7);
    ref.replace(u'\\', u'/');
    if (ref.startsWith(QStringLiteral("http:")) || ref.startsWith(QStringLiteral("https:"))) {
        problems.push_back(
            {line, QStringLiteral("Cover image %1 is on the web; not fetched.").arg(reference)});
        return;
    }
    const QString path = QFileInfo(sourceFile).absoluteDir().absoluteFilePath(ref);
    const QFileInfo info(path);
    if (!info.isFile()) {
        problems.push_back({line, QStringLiteral("Cover image %1 not found.").arg(reference)});
        return;
    }
    if (info.size() > MaxCoverBytes) {
        problems.push_back({line, QStringLiteral("Cover image %1 is larger than %2 MiB; not read.")
                                      .arg(reference)
                                      .arg(MaxCoverBytes / (1024 * 1024))});
        return;
    }
    QFile file(path);
    QByteArray data;
    if (file.open(QIODevice::ReadOnly))
        data = file.read(MaxCoverBytes + 1);
    const QString suffix = imageSuffix(data);
    if (suffix.isEmpty() || data.size() > MaxCoverBytes) {
        problems.push_back(
            {line, QStringLiteral("Cover image %1 is not a readable image.").arg(reference)});
        return;
    }
    album.coverImage = data;
    album.coverSuffix = suffix;
}

} // namespace melodex::importers
