// Loads the sample songs of chinook_songs.csv straight into the songs file, for list tests.
#pragma once

#include "data/records.h"
#include "interchange/csvlinesplitter.h"
#include "platform/picture/format.h"
#include "platform/picture/picture.h"
#include "platform/store/store.h"
#include "testsupport.h"

#include <QFile>
#include <QHash>
#include <QTextStream>

namespace melodex::test {

/// Adds every song of the sample file to Songlore (MUS:ID 1, 2, ... in file order), with its
/// category (numbered in order of first appearance) and media format. The three files must be
/// open. Returns the number of songs added, or -1 when the file cannot be read or a write fails.
inline int loadChinookSongs()
{
    QFile file(sampleDataFile(QStringLiteral("chinook_songs.csv")));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return -1;
    QTextStream in(&file);
    const QStringList header = [&] {
        QStringList names;
        for (const CsvField &f : CsvLineSplitter::split(in.readLine()))
            names << f.text;
        return names;
    }();
    auto column = [&](const char *name) { return header.indexOf(QLatin1String(name)); };
    const int artist = column("MUS:Artist"), title = column("MUS:Title"),
              album = column("MUS:Album"), media = column("MUS:Media"),
              fileNumber = column("MUS:FileNumber"), track = column("MUS:TrackNumber"),
              time = column("MUS:Time"), composer = column("MUS:Composer"),
              style = column("MUS:Style"), category = column("CAT:Category");
    const picture::Picture timePicture = picture::Picture::parse(u"@t4");

    store::Store &store = store::Store::instance();
    if (store.logout({&Songlore, &Categories, &Media}) != 0)
        return -1;
    QHash<QString, qint64> categories;
    QHash<QString, bool> formats;
    int added = 0;
    while (!in.atEnd()) {
        const QList<CsvField> f = CsvLineSplitter::split(in.readLine());
        if (f.size() < header.size())
            continue;
        const QString categoryName = f[category].text;
        if (!categoryName.isEmpty() && !categories.contains(categoryName)) {
            CAT.clear();
            CAT.CategoryID = categories.size() + 1;
            CAT.Category = categoryName;
            if (Categories.add() != 0) {
                store.rollback();
                return -1;
            }
            categories.insert(categoryName, CAT.CategoryID);
        }
        if (!formats.contains(f[media].text)) {
            MED.clear();
            MED.Media = f[media].text;
            if (Media.add() != 0) {
                store.rollback();
                return -1;
            }
            formats.insert(f[media].text, true);
        }
        MUS.clear();
        MUS.ID = ++added;
        MUS.Artist = f[artist].text;
        MUS.Title = f[title].text;
        MUS.Album = f[album].text;
        MUS.Media = f[media].text;
        MUS.FileNumber = f[fileNumber].text;
        MUS.TrackNumber = quint8(f[track].text.toInt());
        MUS.Composer = f[composer].text;
        MUS.Style = f[style].text;
        MUS.CategoryID = qint32(categories.value(categoryName));
        if (const auto t = picture::deformat(f[time].text, timePicture))
            if (const auto *n = std::get_if<qint64>(&*t))
                MUS.Time = qint32(*n);
        if (Songlore.add() != 0) {
            store.rollback();
            return -1;
        }
    }
    return store.commit() == 0 ? added : -1;
}

} // namespace melodex::test
