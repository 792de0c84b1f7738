// Discogs' collection export read as albums.
#include "importers/discogsreader.h"

#include "importers/csvrecords.h"

#include <QFile>
#include <QRegularExpression>

namespace melodex::importers {

namespace {

// The columns the export always has, by their header names.
enum Column {
    CatalogNumber,
    Artist,
    Title,
    Label,
    Format,
    Rating,
    Released,
    ReleaseId,
    Folder,
    DateAdded,
    MediaCondition,
    SleeveCondition,
    CollectionNotes,
    ColumnCount
};

const char *const ColumnNames[ColumnCount] = {"Catalog#",
                                              "Artist",
                                              "Title",
                                              "Label",
                                              "Format",
                                              "Rating",
                                              "Released",
                                              "release_id",
                                              "CollectionFolder",
                                              "Date Added",
                                              "Collection Media Condition",
                                              "Collection Sleeve Condition",
                                              "Collection Notes"};

QString headOf(const QByteArray &head)
{
    QByteArray first = head.left(4096);
    if (first.startsWith("\xEF\xBB\xBF"))
        first = first.mid(3);
    const qsizetype end = first.indexOf('\n');
    return QString::fromUtf8(end < 0 ? first : first.left(end)).trimmed();
}

SourceDate releaseDateOf(const QString &text)
{
    static const QRegularExpression form(
        QStringLiteral("^(\\d{4})(?:-(\\d{1,2})(?:-(\\d{1,2}))?)?$"));
    const QRegularExpressionMatch m = form.match(text.trimmed());
    SourceDate d;
    if (!m.hasMatch())
        return d;
    const int year = m.captured(1).toInt();
    if (year <= 0)
        return d;
    d.year = year;
    const int month = m.captured(2).toInt();
    const int day = m.captured(3).toInt();
    // Discogs writes an unknown month or day as 00: the year alone is what is known.
    if (month > 0 && day > 0)
        d.date = QDate(year, month, day);
    return d;
}

SourceDate dateAddedOf(const QString &text)
{
    // "2019-03-14 10:22:31", sometimes with a "T" or a zone after the time.
    const QString day = text.trimmed().left(10);
    SourceDate d;
    d.date = QDate::fromString(day, Qt::ISODate);
    if (d.date.isValid())
        d.year = d.date.year();
    else
        d.date = QDate();
    return d;
}

} // namespace

int recogniseDiscogs(const QString &, const QByteArray &head)
{
    const QString first = headOf(head);
    if (!first.contains(QLatin1String("release_id")))
        return 0;
    if (first.startsWith(QLatin1String("Catalog#,")))
        return 100;
    return first.contains(QLatin1String("Artist")) && first.contains(QLatin1String("Title")) ? 80
                                                                                             : 0;
}

QString cleanDiscogsArtist(const QString &artist)
{
    // A number in brackets at the end of a name, and the "*" of a name variation, before a
    // separator of the list or the end.
    static const QRegularExpression number(
        QStringLiteral("\\s+\\(\\d+\\)(?=\\s*(?:$|[,&/+]|\\s))"));
    static const QRegularExpression star(QStringLiteral("(?<=\\S)\\*(?=\\s*(?:$|[,&/+]|\\s))"));
    QString out = artist;
    out.remove(star);
    out.remove(number);
    return out.simplified();
}

SourceCollection readDiscogsText(const QString &text)
{
    SourceCollection c;
    c.format = QStringLiteral("discogs");
    const std::vector<CsvRecord> records = splitCsv(text);
    if (records.empty())
        return c; // an export of an empty collection has not even its header
    const CsvRecord &header = records.front();
    int columns[ColumnCount];
    std::fill(std::begin(columns), std::end(columns), -1);
    std::vector<std::pair<int, QString>> extraCollection; // further "Collection X" columns
    for (qsizetype i = 0; i < header.fields.size(); ++i) {
        const QString name = header.fields[i].trimmed();
        bool known = false;
        for (int k = 0; k < ColumnCount; ++k) {
            if (name.compare(QLatin1String(ColumnNames[k]), Qt::CaseInsensitive) == 0) {
                columns[k] = int(i);
                known = true;
            }
        }
        if (!known && name.startsWith(QLatin1String("Collection "), Qt::CaseInsensitive))
            extraCollection.emplace_back(int(i), name.mid(11).trimmed());
    }
    if (columns[Artist] < 0 || columns[Title] < 0) {
        c.error = QStringLiteral("The file is no Discogs collection export: its first line names "
                                 "no Artist and Title columns.");
        return c;
    }

    for (size_t r = 1; r < records.size(); ++r) {
        const CsvRecord &rec = records[r];
        const auto field = [&rec, &columns](Column k) {
            return columns[k] >= 0 && columns[k] < rec.fields.size()
                       ? rec.fields[columns[k]].trimmed()
                       : QString();
        };
        if (rec.unterminatedQuote) {
            c.problems.push_back({rec.line, QStringLiteral("A quoted field is never closed; the "
                                                           "row and the lines after it are "
                                                           "left out.")});
            continue;
        }
        SourceAlbum a;
        a.line = rec.line;
        a.artist = cleanDiscogsArtist(field(Artist));
        a.title = field(Title).simplified();
        if (a.artist.isEmpty() && a.title.isEmpty()) {
            const bool blank = std::all_of(rec.fields.cbegin(), rec.fields.cend(),
                                           [](const QString &f) { return f.trimmed().isEmpty(); });
            if (!blank)
                c.problems.push_back(
                    {rec.line, QStringLiteral("The row has no artist and no title.")});
            continue;
        }
        a.mediaFormat = field(Format).simplified();
        a.released = releaseDateOf(field(Released));
        a.purchased = dateAddedOf(field(DateAdded));
        const int rating = field(Rating).toInt();
        if (rating > 0)
            a.rating = QString::number(std::min(rating, 5));
        const QString folder = field(Folder);
        if (folder.compare(QLatin1String("Uncategorized"), Qt::CaseInsensitive) != 0)
            a.category = folder;
        a.label = field(Label);
        a.catalogNumber = field(CatalogNumber);

        QStringList notes;
        const auto note = [&notes](const QString &caption, const QString &value) {
            if (!value.isEmpty())
                notes << caption + QStringLiteral(": ") + value;
        };
        note(QStringLiteral("Label"), a.label);
        note(QStringLiteral("Catalogue number"), a.catalogNumber);
        note(QStringLiteral("Format"), a.mediaFormat);
        note(QStringLiteral("Media condition"), field(MediaCondition));
        note(QStringLiteral("Sleeve condition"), field(SleeveCondition));
        for (const auto &[index, name] : extraCollection)
            if (index < rec.fields.size())
                note(name, rec.fields[index].trimmed());
        note(QStringLiteral("Notes"), field(CollectionNotes));
        a.notes = notes.join(u'\n');

        // A release_id that is no number is no Discogs identifier: it is kept in the notes.
        const QString releaseId = field(ReleaseId);
        bool numeric = false;
        if (releaseId.toLongLong(&numeric) > 0 && numeric)
            a.ids.push_back({ExternalSource::DiscogsRelease, releaseId});
        else if (!releaseId.isEmpty())
            a.notes += (a.notes.isEmpty() ? QString() : QStringLiteral("\n")) +
                       QStringLiteral("Discogs release: ") + releaseId;
        c.albums.push_back(std::move(a));
    }
    return c;
}

SourceCollection readDiscogs(const QString &path, const ReadProgress &progress)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        SourceCollection c;
        c.format = QStringLiteral("discogs");
        c.error = QStringLiteral("%1 cannot be read: %2").arg(path, file.errorString());
        return c;
    }
    SourceCollection c = readDiscogsText(decodeText(file.readAll()));
    if (progress)
        progress(1.0);
    return c;
}

} // namespace melodex::importers
