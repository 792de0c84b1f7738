// Writing a source's albums and songs into the catalogue, in batches.
#include "importers/collectionwriter.h"

#include "importers/sourcevalues.h"

#include "app/mediaseed.h"
#include "data/externalids.h"
#include "data/lostfile.h"
#include "interchange/bufferguard.h"
#include "lookup/coverart.h"
#include "platform/picture/calendar.h"
#include "platform/store/errors.h"
#include "platform/store/store.h"
#include "services/messageservice.h"
#include "wizard/albumwizard.h"

#include <QCryptographicHash>
#include <QSet>

#include <algorithm>

namespace melodex::importers {

namespace {

// Other writers hold the files a second or two; a batch is worth a longer wait.
constexpr int WaitSeconds = 10;

qint32 dayOf(const SourceDate &d)
{
    if (d.date.isValid())
        return picture::dayNumber(d.date);
    if (d.year > 0)
        return picture::dayNumber(QDate(d.year, 1, 1));
    return 0;
}

qint32 timeOfSeconds(qint64 seconds)
{
    if (seconds <= 0)
        return 0;
    return picture::timeValue(seconds / 3600, int(seconds / 60 % 60), int(seconds % 60));
}

QString storeErrorText()
{
    const store::ErrorState &e = store::lastError();
    const QString text =
        e.code == store::FileSystemErr && !e.driverText.isEmpty() ? e.driverText : e.text;
    return QStringLiteral("Error #") + QString::number(e.code) + QStringLiteral(" - ") + text;
}

QString counted(qint64 n, const char *one, const char *many)
{
    return QString::number(n) + u' ' + QString::fromLatin1(n == 1 ? one : many);
}

// The album's notes with its label and catalogue number, when the reader left them out.
QString albumNotes(const SourceAlbum &a)
{
    QStringList lines;
    if (!a.label.isEmpty() && !a.notes.contains(a.label))
        lines << QStringLiteral("Label: ") + a.label;
    if (!a.catalogNumber.isEmpty() && !a.notes.contains(a.catalogNumber))
        lines << QStringLiteral("Catalogue number: ") + a.catalogNumber;
    if (!a.notes.isEmpty())
        lines << a.notes;
    return lines.join(u'\n');
}

} // namespace

CollectionWriteRun::CollectionWriteRun(const SourceCollection &source, const ImportPlan &plan,
                                       const std::vector<AlbumRecord> *albumRecords)
    : m_source(source), m_plan(plan), m_albumRecords(albumRecords)
{
}

CollectionWriteRun::~CollectionWriteRun()
{
    if (m_state == State::Running)
        finish(State::Cancelled);
}

bool CollectionWriteRun::fail(const QString &text)
{
    m_failure = text;
    MessageService::instance().show(
        MessageRequest{QStringLiteral("Cannot Import"),
                       text + QStringLiteral("\n\n") +
                           QStringLiteral("%1 and %2 added before it are kept.")
                               .arg(counted(m_albumsAdded, "album", "albums"),
                                    counted(m_songsAdded, "song", "songs")),
                       MessageRequest::Warning, MessageRequest::Ok, MessageRequest::Ok});
    finish(State::Failed);
    return false;
}

bool CollectionWriteRun::start()
{
    if (!m_plan.error.isEmpty()) {
        m_failure = m_plan.error;
        return false;
    }
    if (!m_uses.open({&Album, &Songlore, &Categories, &Media, &ExternalIds})) {
        m_failure = QStringLiteral("The catalogue's files cannot be opened.");
        return false;
    }
    {
        const BufferGuard media(Media);
        seedMediaFormats();
    }
    m_dataDirectory = store::Store::instance().dataDirectory();
    m_songs = std::make_unique<store::BulkWriter>(Songlore);
    m_albums = std::make_unique<store::BulkWriter>(Album);
    m_ids = std::make_unique<store::BulkWriter>(ExternalIds);
    if (m_songs->start() != 0 || m_albums->start() != 0 || m_ids->start() != 0) {
        m_failure = storeErrorText();
        finish(State::Failed);
        return false;
    }
    m_state = State::Running;
    if (m_plan.albumsToAdd.empty() && m_plan.loneSongsToAdd.empty())
        finish(State::Completed);
    return true;
}

int CollectionWriteRun::percent() const
{
    if (m_state == State::Completed)
        return 100;
    const size_t total = m_plan.albumsToAdd.size() + m_plan.loneSongsToAdd.size();
    return total == 0 ? 0 : int((m_nextAlbum + m_nextSong) * 100 / total);
}

CollectionWriteRun::State CollectionWriteRun::step(int albums)
{
    if (m_state != State::Running)
        return m_state;
    std::vector<Item> batch;
    qint64 songs = 0;
    while (m_nextAlbum < m_plan.albumsToAdd.size() && int(batch.size()) < std::max(1, albums)) {
        const size_t index = m_plan.albumsToAdd[m_nextAlbum];
        const SourceAlbum &a = m_source.albums[index];
        if (!batch.empty() && songs + qint64(a.songs.size()) > BatchSongs)
            break;
        batch.push_back({&a, index, nullptr});
        songs += qint64(a.songs.size());
        ++m_nextAlbum;
    }
    if (batch.empty()) {
        // Songs without album go in batches of their own.
        while (m_nextSong < m_plan.loneSongsToAdd.size() && songs < BatchSongs) {
            const size_t index = m_plan.loneSongsToAdd[m_nextSong];
            batch.push_back({nullptr, index, &m_source.songsWithoutAlbum[index]});
            ++songs;
            ++m_nextSong;
        }
    }
    if (batch.empty()) {
        finish(State::Completed);
        return m_state;
    }
    if (writeBatch(batch) && m_nextAlbum >= m_plan.albumsToAdd.size() &&
        m_nextSong >= m_plan.loneSongsToAdd.size())
        finish(State::Completed);
    return m_state;
}

void CollectionWriteRun::cancel()
{
    if (m_state == State::Running)
        finish(State::Cancelled);
}

qint64 CollectionWriteRun::categoryOf(const QString &name)
{
    const int width = CategoriesRecord::fileLayout().fields[1].size;
    const QString key = name.left(width).trimmed();
    if (key.isEmpty())
        return 0;
    const QString folded = key.toCaseFolded();
    if (auto it = m_categoryCache.constFind(folded); it != m_categoryCache.cend())
        return *it;
    CAT.clear();
    CAT.Category = key;
    qint64 id = 0;
    if (Categories.get(CategoriesRecord::KeyCategory) == 0) {
        id = CAT.CategoryID;
    } else {
        m_missingCategories << key;
        id = -m_missingCategories.size();
    }
    m_categoryCache.insert(folded, id);
    return id;
}

QString CollectionWriteRun::mediaOf(const QString &media)
{
    const QString key = media.left(MediaRecord::fileLayout().fields[0].size).trimmed();
    const QString folded = key.toCaseFolded();
    if (auto it = m_mediaCache.constFind(folded); it != m_mediaCache.cend())
        return *it;
    MED.clear();
    MED.Media = key;
    QString stored = key;
    if (Media.get(MediaRecord::KeyMedia) == 0)
        stored = MED.Media;
    else if (!m_missingMedia.contains(key, Qt::CaseInsensitive))
        m_missingMedia << key;
    m_mediaCache.insert(folded, stored);
    return stored;
}

void CollectionWriteRun::fillSong(const SourceSong &s, const SourceAlbum *album,
                                  const QString &media)
{
    MUS.clear();
    MUS.Artist = !s.artist.isEmpty() || !album ? s.artist : album->artist;
    MUS.Title = s.title;
    if (album)
        MUS.Album = album->title;
    MUS.Media = mediaOf(media);
    MUS.ReleaseDate = dayOf(!s.released.isEmpty() || !album ? s.released : album->released);
    MUS.CategoryID =
        qint32(categoryOf(!s.category.isEmpty() || !album ? s.category : album->category));
    MUS.TrackNumber = quint8(std::clamp(s.track, 0, 255));
    if (!s.side.isEmpty())
        MUS.Side = s.side.left(1);
    else if (s.disc > 0 && s.disc < 10)
        MUS.Side = QString::number(s.disc);
    MUS.Time = timeOfSeconds(s.lengthSeconds);
    MUS.Composer = s.composer;
    MUS.BeatsPerMinute = s.beatsPerMinute;
    MUS.Rating = s.rating;
    MUS.Notes = s.notes;
}

QString CollectionWriteRun::coverOf(const SourceAlbum &source)
{
    // A cover the source points at (a library's art file) is read only now, one at a time.
    SourceAlbum pointed;
    if (source.coverImage.isEmpty() && !source.coverFile.isEmpty()) {
        std::vector<SourceProblem> problems;
        pointed.title = source.title;
        readCoverBeside(source.coverFile, source.coverFile, pointed, 0, problems);
        for (const SourceProblem &p : problems)
            m_coverProblems << QStringLiteral("\"%1\": %2").arg(source.title, p.text);
    }
    const SourceAlbum &a = pointed.coverImage.isEmpty() ? source : pointed;
    if (a.coverImage.isEmpty())
        return {};
    // Named by its content: the same cover is one file, and a batch rolled back leaves at most
    // a file that the next import names the same.
    const QString name =
        QStringLiteral("cover-") +
        QString::fromLatin1(
            QCryptographicHash::hash(a.coverImage, QCryptographicHash::Sha1).toHex().left(20));
    const lookup::CoverResult cover = lookup::storeCover(a.coverImage, m_dataDirectory, name);
    const int width =
        AlbumRecord::fileLayout()
            .fields[size_t(AlbumRecord::fileLayout().fieldIndex(QStringLiteral("AssociatedImage")))]
            .size;
    if (cover.ok() && cover.path.size() <= width) {
        ++m_coversAdded;
        return cover.path;
    }
    m_coverProblems << QStringLiteral("\"%1\": %2")
                           .arg(a.title, cover.ok() ? QStringLiteral("the image's path is too long")
                                                    : cover.error);
    return {};
}

bool CollectionWriteRun::stageAlbum(const SourceAlbum &a, size_t index, qint64 local,
                                    const QString &media, qint64 category)
{
    ALB.clear();
    if (m_albumRecords)
        ALB = (*m_albumRecords)[index];
    ALB.AlbumID = qint32(local);
    ALB.Artist = a.artist;
    ALB.Album = a.title;
    ALB.Media = media;
    if (!m_albumRecords || !a.category.isEmpty())
        ALB.CategoryID = category;
    if (!m_albumRecords) {
        ALB.ReleaseDate = dayOf(a.released);
        ALB.PurchaseDate = dayOf(a.purchased);
        ALB.PurPrice = a.purchasePriceCents;
        ALB.Rating = a.rating;
        ALB.Notes = albumNotes(a);
        qint64 seconds = 0;
        for (const SourceSong &s : a.songs)
            seconds += std::max(0, s.lengthSeconds);
        ALB.TotalTime = timeOfSeconds(seconds);
    }
    if (const QString cover = coverOf(a); !cover.isEmpty())
        ALB.AssociatedImage = cover;
    return m_albums->stage() == 0;
}

bool CollectionWriteRun::stageIds(qint64 album, qint64 song, const std::vector<ExternalId> &ids,
                                  QSet<QString> &seen)
{
    for (const ExternalId &x : ids) {
        const QString identifier = x.identifier.trimmed();
        if (identifier.isEmpty())
            continue;
        // The file holds an identifier once per album and song.
        const QString key = QString::number(song) + u'\x1f' + x.source + u'\x1f' + identifier;
        if (seen.contains(key))
            continue;
        seen.insert(key);
        EXT.clear();
        EXT.AlbumID = qint32(album);
        EXT.SongID = qint32(song);
        EXT.Source = x.source;
        EXT.Identifier = identifier;
        if (m_ids->stage() != 0)
            return false;
    }
    return true;
}

bool CollectionWriteRun::writeBatch(const std::vector<Item> &batch)
{
    const BufferGuard albumBuffer(Album);
    const BufferGuard songBuffer(Songlore);
    const BufferGuard categoryBuffer(Categories);
    const BufferGuard mediaBuffer(Media);
    const BufferGuard idBuffer(ExternalIds);
    m_categoryCache.clear();
    m_mediaCache.clear();
    m_missingCategories.clear();
    m_missingMedia.clear();
    ++m_batches;

    // Staging: albums, songs and identifiers go to the bulk writers' tables while no data file
    // is locked. Albums are numbered 1, 2, ... within the batch and songs likewise; a missing
    // category is named -1, -2, ...; the transaction maps them to the numbers stored.
    QHash<qint64, qint64> wantedCategoryIds; // placeholder: the number an albums file gives
    std::vector<qint32> wantedAlbumIds;      // per album of the batch: the number it gives
    qint64 localSong = 0;
    qint64 localAlbum = 0;
    bool staged =
        m_songs->beginStep() == 0 && m_albums->beginStep() == 0 && m_ids->beginStep() == 0;
    for (size_t k = 0; staged && k < batch.size(); ++k) {
        const Item &item = batch[k];
        if (!item.album) {
            const QString media = m_plan.map.map(item.song->mediaFormat);
            fillSong(*item.song, nullptr, media.isEmpty() ? QStringLiteral("CD") : media);
            MUS.AlbumID = 0;
            MUS.ID = qint32(++localSong);
            staged = m_songs->stage() == 0;
            if (staged) {
                QSet<QString> seen;
                staged = stageIds(0, localSong, item.song->ids, seen);
            }
            continue;
        }
        const SourceAlbum &a = *item.album;
        const qint64 album = ++localAlbum;
        const QString mapped = mediaOf(m_plan.albumMedia[item.index]);
        const qint64 category = categoryOf(a.category);
        if (m_albumRecords) {
            if (category < 0)
                wantedCategoryIds.insert(category, (*m_albumRecords)[item.index].CategoryID);
            wantedAlbumIds.push_back((*m_albumRecords)[item.index].AlbumID);
        } else {
            wantedAlbumIds.push_back(0);
        }
        staged = stageAlbum(a, item.index, album, mapped, category);
        QSet<QString> seen;
        if (staged)
            staged = stageIds(album, 0, a.ids, seen);
        for (size_t t = 0; staged && t < a.songs.size(); ++t) {
            const SourceSong &s = a.songs[t];
            const QString media =
                s.mediaFormat.isEmpty() ? QString() : m_plan.map.map(s.mediaFormat);
            fillSong(s, &a, media.isEmpty() ? mapped : media);
            MUS.AlbumID = qint32(album);
            MUS.ID = qint32(++localSong);
            staged = m_songs->stage() == 0 && stageIds(album, localSong, s.ids, seen);
        }
    }
    if (!staged) {
        const QString text = storeErrorText();
        m_ids->endStep(false);
        m_albums->endStep(false);
        m_songs->endStep(false);
        return fail(text);
    }
    if (m_ids->endStep(true) != 0 || m_albums->endStep(true) != 0 || m_songs->endStep(true) != 0)
        return fail(storeErrorText());

    // The batch's one transaction over every file it touches.
    store::Store &st = store::Store::instance();
    const auto failed = [&](const QString &what) {
        const QString text = what + storeErrorText();
        if (st.inTransaction())
            st.rollback();
        return fail(text);
    };
    if (st.logout({&Album, &Songlore, &Categories, &Media, &ExternalIds}, WaitSeconds) != 0)
        return failed(QStringLiteral("The catalogue's files cannot be written: "));

    qint64 categoriesAdded = 0;
    qint64 mediaAdded = 0;
    std::vector<std::pair<store::Value, store::Value>> categoryMap;
    for (qsizetype i = 0; i < m_missingCategories.size(); ++i) {
        CAT.clear();
        CAT.Category = m_missingCategories[i];
        qint64 id = 0;
        if (Categories.get(CategoriesRecord::KeyCategory) == 0) {
            id = CAT.CategoryID;
        } else {
            const qint64 referenced = highestReferenceTo(Categories);
            // The number an albums file gives is kept when no category has it and no record
            // names it (a lost category's number is never given again).
            const qint64 wanted = wantedCategoryIds.value(-(i + 1));
            CAT.clear();
            CAT.CategoryID = wanted;
            if (wanted > referenced &&
                Categories.get(CategoriesRecord::KeyCategoryID) == store::RecordNotFoundErr) {
                id = wanted;
            } else {
                Categories.set(CategoriesRecord::KeyCategoryID);
                const qint64 highest = Categories.previous() == 0 ? CAT.CategoryID : 0;
                id = std::max(highest, referenced) + 1;
            }
            CAT.clear();
            CAT.CategoryID = id;
            CAT.Category = m_missingCategories[i];
            if (Categories.add() != 0)
                return failed(QStringLiteral("A category could not be added: "));
            ++categoriesAdded;
        }
        categoryMap.emplace_back(store::Value(qint64(-(i + 1))), store::Value(id));
    }
    std::vector<std::pair<store::Value, store::Value>> mediaMap;
    for (const QString &key : std::as_const(m_missingMedia)) {
        MED.clear();
        MED.Media = key;
        if (Media.get(MediaRecord::KeyMedia) == 0) {
            if (MED.Media != key)
                mediaMap.emplace_back(store::Value(key), store::Value(MED.Media));
            continue;
        }
        MED.clear();
        MED.Media = key;
        if (Media.add() != 0)
            return failed(QStringLiteral("A media format could not be added: "));
        ++mediaAdded;
    }

    qint32 nextSong = 0;
    qint32 nextAlbum = 0;
    if (nextSongId(nextSong) != 0 || nextAlbumId(nextAlbum) != 0)
        return failed(QStringLiteral("The catalogue's numbers cannot be read: "));
    const qint64 songBase = nextSong - 1;

    // Album numbers: one an albums file gives is kept when it is above every number in use;
    // the others are numbered on.
    std::vector<qint32> albumIds(wantedAlbumIds.size(), 0);
    QSet<qint32> taken;
    for (size_t k = 0; k < wantedAlbumIds.size(); ++k) {
        if (wantedAlbumIds[k] >= nextAlbum && !taken.contains(wantedAlbumIds[k])) {
            albumIds[k] = wantedAlbumIds[k];
            taken.insert(albumIds[k]);
        }
    }
    qint32 counter = nextAlbum;
    std::vector<std::pair<store::Value, store::Value>> albumMap;
    for (size_t k = 0; k < albumIds.size(); ++k) {
        if (albumIds[k] == 0) {
            while (taken.contains(counter))
                ++counter;
            albumIds[k] = counter;
            taken.insert(counter);
        }
        albumMap.emplace_back(store::Value(qint64(k + 1)), store::Value(qint64(albumIds[k])));
    }

    const store::FileLayout &songs = SongloreRecord::fileLayout();
    const store::FileLayout &albums = AlbumRecord::fileLayout();
    const store::FileLayout &ids = ExternalIdRecord::fileLayout();
    const auto field = [](const store::FileLayout &l, const char *name) {
        return l.fieldIndex(QString::fromLatin1(name));
    };
    m_songs->setExpression(field(songs, "ID"), QStringLiteral("%1+s.\"ID\"").arg(songBase));
    m_ids->setExpression(
        field(ids, "SongID"),
        QStringLiteral("CASE WHEN s.\"SongID\"=0 THEN 0 ELSE %1+s.\"SongID\" END").arg(songBase));
    if (m_albums->mapValues(field(albums, "AlbumID"), albumMap) != 0 ||
        m_albums->mapValues(field(albums, "CategoryID"), categoryMap) != 0 ||
        m_albums->mapValues(field(albums, "Media"), mediaMap) != 0 ||
        m_songs->mapValues(field(songs, "AlbumID"), albumMap) != 0 ||
        m_songs->mapValues(field(songs, "CategoryID"), categoryMap) != 0 ||
        m_songs->mapValues(field(songs, "Media"), mediaMap) != 0 ||
        m_ids->mapValues(field(ids, "AlbumID"), albumMap) != 0)
        return failed(QStringLiteral("The batch could not be prepared: "));
    const qint64 albumsStaged = m_albums->staged();
    const qint64 songsStaged = m_songs->staged();
    if (m_albums->merge() != 0)
        return failed(QStringLiteral("The albums could not be added (was one of them added "
                                     "meanwhile? Import the file again to add the rest): "));
    if (m_songs->merge() != 0)
        return failed(QStringLiteral("The songs could not be added: "));
    if (m_ids->merge() != 0)
        return failed(QStringLiteral("The identifiers could not be kept: "));
    if (m_beforeCommit)
        m_beforeCommit(m_batches);
    if (st.commit() != 0)
        return failed(QStringLiteral("The batch could not be committed: "));
    m_albumsAdded += albumsStaged;
    m_songsAdded += songsStaged;
    m_categoriesAdded += categoriesAdded;
    m_mediaAdded += mediaAdded;
    return true;
}

QStringList CollectionWriteRun::summary() const
{
    QStringList items{counted(m_albumsAdded, "album", "albums") + QStringLiteral(" added"),
                      counted(m_songsAdded, "song", "songs") + QStringLiteral(" added")};
    items << counted(m_categoriesAdded, "category", "categories") + QStringLiteral(" added");
    items << counted(m_mediaAdded, "media format", "media formats") + QStringLiteral(" added");
    if (m_coversAdded > 0)
        items << counted(m_coversAdded, "cover image", "cover images") + QStringLiteral(" kept");
    for (const QString &p : m_coverProblems)
        items << QStringLiteral("no cover for ") + p;
    return items;
}

void CollectionWriteRun::finish(State state)
{
    m_state = state;
    // In the reverse order of their start: the first puts the connection's settings back.
    m_ids.reset();
    m_albums.reset();
    m_songs.reset();
    m_uses.clear();
}

} // namespace melodex::importers
