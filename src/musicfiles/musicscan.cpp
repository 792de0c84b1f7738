// The scan of music folders: plan by size and modification time, read with TagLib, write in
// batches of one transaction each.
#include "musicfiles/musicscan.h"

#include "albums/albumsongs.h"
#include "data/externalids.h"
#include "data/records.h"
#include "lookup/coverart.h"
#include "lookup/releasemapping.h"
#include "musicfiles/songstamp.h"
#include "platform/store/engine.h"
#include "platform/store/errors.h"
#include "platform/store/store.h"
#include "wizard/albumwizard.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>

#include <sqlite3.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

namespace melodex::musicfiles {

using lookup::cutToField;

namespace {

constexpr int MergeWaitSeconds = 10;
constexpr qint64 MaxIdentifier = 1024;

int fieldSize(const store::FileLayout &layout, const char *name)
{
    return layout.fields[size_t(layout.fieldIndex(QLatin1String(name)))].size;
}

int songFieldSize(const char *name)
{
    return fieldSize(SongloreRecord::fileLayout(), name);
}

QString folderOf(const QString &identifier)
{
    const qsizetype slash = identifier.lastIndexOf(u'/');
    return slash <= 0 ? QStringLiteral("/") : identifier.left(slash);
}

QString baseName(const QString &path)
{
    return path.mid(path.lastIndexOf(u'/') + 1);
}

// "2001", "2001-05", "2001-05-03", "2001-05-03T10:00:00" -> the day number; 0 when none.
qint32 releaseDateOf(const QString &date)
{
    static const QRegularExpression form(QStringLiteral("^(\\d{4}(?:-\\d\\d(?:-\\d\\d)?)?)"));
    const QRegularExpressionMatch m = form.match(date.trimmed());
    return m.hasMatch() ? lookup::dayOfReleaseDate(m.captured(1)) : 0;
}

QString folded(const QString &s)
{
    return s.trimmed().toCaseFolded();
}

// The song a file gives, before its album and category have numbers.
SongloreRecord songOfFile(const FoundFile &f, const FileTags &t, const QString &media)
{
    SongloreRecord s;
    QString title = t.title;
    if (title.isEmpty()) {
        title = baseName(f.identifier);
        const qsizetype dot = title.lastIndexOf(u'.');
        if (dot > 0)
            title.truncate(dot);
    }
    s.Title = cutToField(title, songFieldSize("Title"));
    s.Artist = cutToField(t.artist.isEmpty() ? t.albumArtist : t.artist, songFieldSize("Artist"));
    s.Album = cutToField(t.album.isEmpty() ? baseName(folderOf(f.identifier)) : t.album,
                         songFieldSize("Album"));
    s.Media = cutToField(media, songFieldSize("Media"));
    s.TrackNumber = quint8(std::clamp(t.track, 0, 255));
    if (t.disc >= 1 && t.disc <= 9)
        s.Side = QString::number(t.disc);
    if (t.lengthMs > 0) {
        s.Time = lookup::timeOfMilliseconds(t.lengthMs);
        s.AdditionalInformation1 = AlbumWizard::minutesSeconds(s.Time);
    }
    s.ReleaseDate = releaseDateOf(t.date);
    s.Composer = cutToField(t.composer, songFieldSize("Composer"));
    s.BeatsPerMinute = std::clamp(t.bpm, 0, 9999);
    s.Notes = cutToField(t.comment, songFieldSize("Notes"));
    return s;
}

QString categoryOfFile(const FileTags &t)
{
    return cutToField(t.genre, fieldSize(CategoriesRecord::fileLayout(), "Category"));
}

// The album a new file belongs to: by album artist and album wherever the files lie; by album
// and folder when the files name no album artist (a compilation's artists differ); by folder
// when they name no album.
struct AlbumGroup
{
    QString key;
    QString artist;
    QString album;
    QString folder;
    QByteArray cover;
    qint32 releaseDate = 0;
    qint64 categoryId = 0; ///< may be a placeholder
    qint64 time = 0;       ///< hundredths of a second of the batch's songs
    qint32 albumId = 0;    ///< 0 until found or added
    QString image;
};

QString groupKeyOf(const FoundFile &f, const FileTags &t)
{
    const QChar sep(0x1f);
    if (!t.album.isEmpty() && !t.albumArtist.isEmpty())
        return QStringLiteral("a") + folded(t.album) + sep + folded(t.albumArtist);
    if (!t.album.isEmpty())
        return QStringLiteral("f") + folded(t.album) + sep + folderOf(f.identifier);
    return QStringLiteral("d") + folderOf(f.identifier);
}

// The picture `path` when it is at most `maxBytes` long; empty otherwise.
QByteArray pictureFile(const QByteArray &path, qint64 maxBytes)
{
    QFile f(QFile::decodeName(path));
    if (path.isEmpty() || f.size() > maxBytes || !f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

// Rolls the transaction back unless it was committed.
class Transaction
{
public:
    int begin()
    {
        const int rc = store::Store::instance().logout(
            {&Songlore, &Album, &Categories, &Media, &ExternalIds}, MergeWaitSeconds);
        m_open = rc == 0;
        return rc;
    }
    int commit()
    {
        m_open = false;
        return store::Store::instance().commit();
    }
    ~Transaction()
    {
        if (m_open)
            store::Store::instance().rollback();
    }

private:
    bool m_open = false;
};

int highestCategoryId(qint64 &id)
{
    Categories.set(CategoriesRecord::KeyCategoryID);
    const int rc = Categories.previous();
    if (rc != 0 && rc != store::NoRecErr)
        return rc;
    id = rc == 0 ? CAT.CategoryID : 0;
    return 0;
}

// Finds the category `name`, adding it when missing; `*added` tells which.
int categoryId(const QString &name, qint64 *id, bool *added)
{
    *added = false;
    CAT.clear();
    CAT.Category = name;
    int rc = Categories.get(CategoriesRecord::KeyCategory);
    if (rc == 0) {
        *id = CAT.CategoryID;
        return 0;
    }
    if (rc != store::RecordNotFoundErr)
        return rc;
    qint64 top = 0;
    if ((rc = highestCategoryId(top)) != 0)
        return rc;
    CAT.clear();
    CAT.CategoryID = top + 1;
    CAT.Category = name;
    if ((rc = Categories.add()) != 0)
        return rc;
    *id = CAT.CategoryID;
    *added = true;
    return 0;
}

QString categoryName(qint64 id)
{
    if (id == 0)
        return {};
    CAT.clear();
    CAT.CategoryID = id;
    return Categories.get(CategoriesRecord::KeyCategoryID) == 0 ? CAT.Category : QString();
}

} // namespace

MusicScan::MusicScan(ScanSettings settings) : m_settings(std::move(settings))
{
    m_settings.media = cutToField(m_settings.media, songFieldSize("Media"));
    m_settings.batchFiles = std::max(1, m_settings.batchFiles);
}

MusicScan::~MusicScan()
{
    if (m_state == State::Running)
        finish(State::Cancelled);
}

bool MusicScan::fail(const QString &what, int rc)
{
    const store::ErrorState &e = store::lastError();
    const int code = e.code ? e.code : rc;
    m_error = code ? what + QStringLiteral(": ") + store::errorText(code) : what;
    return false;
}

bool MusicScan::start()
{
    if (m_settings.media.isEmpty()) {
        m_error = QStringLiteral("The media format of the songs needs a name.");
        return false;
    }
    if (m_settings.folders.isEmpty()) {
        m_error = QStringLiteral("No folder to scan.");
        return false;
    }
    m_files = std::make_unique<store::FileUses>(std::initializer_list<store::KeyedFile *>{
        &Songlore, &Album, &Categories, &Media, &ExternalIds});
    if (!m_files->ok()) {
        m_files.reset();
        return fail(QStringLiteral("The data files cannot be opened"), store::NotOpenErr);
    }
    if (!m_settings.dryRun) {
        m_songWriter = std::make_unique<store::BulkWriter>(Songlore);
        m_idWriter = std::make_unique<store::BulkWriter>(ExternalIds);
        if (m_songWriter->start() != 0 || m_idWriter->start() != 0) {
            fail(QStringLiteral("The scan cannot stage its songs"));
            m_idWriter.reset();
            m_songWriter.reset();
            m_files.reset();
            return false;
        }
    }
    m_dataDirectory = store::Store::instance().dataDirectory();
    if (!loadKnown()) {
        finish(State::Failed);
        return false;
    }
    m_walk = std::make_unique<FolderWalk>(m_settings.folders);
    // A file the catalogue has with the same size and time is done with as the walk meets it.
    m_walk->setSink([this](QByteArrayView path, qint64 size, qint64 modified) {
        // A path of ASCII only is its own identifier; any other is looked up as it is kept.
        QByteArray converted;
        if (!std::all_of(path.cbegin(), path.cend(), [](char c) { return uchar(c) < 0x80; }))
            converted = identifierOf(path.toByteArray()).toUtf8();
        KnownFiles::Entry *k = m_known.find(converted.isNull() ? path : QByteArrayView(converted));
        if (!k || k->size != size || k->modified != modified)
            return true;
        k->seen = true;
        ++m_unchanged;
        return false;
    });
    m_phase = Phase::Walk;
    m_state = State::Running;
    return true;
}

bool MusicScan::loadKnown()
{
    // A catalogue on a server has no SQLite statement: the identifiers of music files are read
    // by their key instead, from the first of their source on.
    if (store::currentEngine()) {
        const ExternalIdRecord kept = EXT;
        EXT.clear();
        EXT.Source = ExternalSource::MusicFile;
        int rc = ExternalIds.setFromBuffer(ExternalIdRecord::KeyIdentifier);
        while (rc == 0 && (rc = ExternalIds.next()) == 0 &&
               EXT.Source == ExternalSource::MusicFile) {
            if (EXT.SongID == 0)
                continue;
            KnownFiles::Entry k;
            k.songId = qint32(EXT.SongID);
            k.albumId = qint32(EXT.AlbumID);
            k.size = EXT.Size;
            k.modified = EXT.Modified;
            m_known.insert(QByteArrayView(EXT.Identifier.toUtf8()), k);
        }
        EXT = kept;
        if (rc != 0 && rc != store::NoRecErr)
            return fail(QStringLiteral("The files' identifiers cannot be read"), rc);
        return true;
    }
    // One plain query of the few columns a re-scan compares, into a table without an allocation
    // per file: a re-scan of an unchanged folder costs little more than the walk. The rows are
    // read in one pass ("+" keeps the source's key out of it): through the key, each would be
    // sought in the table on its own.
    const store::FileLayout &l = ExternalIdRecord::fileLayout();
    const auto column = [&](const char *name) {
        return ExternalIds.columnName(l.fieldIndex(QLatin1String(name)));
    };
    sqlite3_stmt *st = ExternalIds.statement(
        QStringLiteral("SELECT %1,%2,%3,%4,%5 FROM %6 WHERE +%7=?1 AND %1<>0")
            .arg(column("SongID"), column("AlbumID"), column("Identifier"), column("Size"),
                 column("Modified"), ExternalIds.tableName(), column("Source")));
    if (!st)
        return fail(QStringLiteral("The files' identifiers cannot be read"));
    m_known.reserve(qsizetype(ExternalIds.records()));
    const QByteArray source = ExternalSource::MusicFile.toUtf8();
    sqlite3_bind_text(st, 1, source.constData(), int(source.size()), SQLITE_TRANSIENT);
    int rc = SQLITE_ROW;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
        KnownFiles::Entry k;
        k.songId = qint32(sqlite3_column_int64(st, 0));
        k.albumId = qint32(sqlite3_column_int64(st, 1));
        k.size = sqlite3_column_int64(st, 3);
        k.modified = sqlite3_column_int64(st, 4);
        const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(st, 2));
        m_known.insert(QByteArrayView(text, sqlite3_column_bytes(st, 2)), k);
    }
    sqlite3_reset(st);
    if (rc != SQLITE_DONE)
        return fail(QStringLiteral("The files' identifiers cannot be read"),
                    store::Store::instance().fail(rc, ExternalIds.name()));
    return true;
}

MusicScan::Known MusicScan::known(const KnownFiles::Entry &entry, const QString &identifier,
                                  bool withStamp) const
{
    Known k;
    k.songId = entry.songId;
    k.albumId = entry.albumId;
    k.size = entry.size;
    k.modified = entry.modified;
    k.identifier = identifier;
    if (withStamp) {
        // The stamp of a changed file only: an unchanged one never needs it.
        EXT.clear();
        EXT.SongID = entry.songId;
        EXT.Source = ExternalSource::MusicFile;
        EXT.Identifier = identifier;
        if (ExternalIds.get(ExternalIdRecord::KeySong) == 0)
            k.stamp = EXT.Stamp;
    }
    return k;
}

void MusicScan::plan()
{
    std::vector<FoundFile> &found = m_walk->found();
    m_found = m_walk->audioFiles();
    m_otherFiles = m_walk->otherFiles();
    m_unreadable = m_walk->unreadable();

    std::vector<FoundFile *> fresh;
    for (FoundFile &f : found) {
        if (f.identifier.size() > MaxIdentifier) {
            m_unreadable.emplace_back(
                f.identifier,
                QStringLiteral("the path is longer than %1 characters").arg(MaxIdentifier));
            continue;
        }
        KnownFiles::Entry *k = m_known.find(f.identifier.toUtf8());
        if (!k) {
            fresh.push_back(&f);
            continue;
        }
        k->seen = true;
        m_todo.push_back({f, Kind::Changed, known(*k, f.identifier, true)});
    }

    // Files of the catalogue under the scanned folders that the walk did not meet.
    std::vector<QByteArray> prefixes;
    for (const QString &root : m_walk->roots())
        prefixes.push_back((root.endsWith(u'/') ? root : root + u'/').toUtf8());
    std::vector<Known> gone;
    for (const KnownFiles::Entry &k : m_known.entries()) {
        const QByteArrayView key = m_known.key(k);
        // The albums of each folder are wanted only when new files may join them.
        if (k.albumId && !fresh.empty()) {
            QList<qint32> &ids = m_folderAlbums[folderOf(QString::fromUtf8(key))];
            if (!ids.contains(k.albumId))
                ids << k.albumId;
        }
        if (k.seen)
            continue;
        if (std::any_of(prefixes.cbegin(), prefixes.cend(),
                        [&](const QByteArray &p) { return key.startsWith(p); }))
            gone.push_back(known(k, QString::fromUtf8(key), false));
    }
    m_known.clear();
    // A file that vanished while one of the same size and time appeared has moved: its song
    // goes with it, when the pair is the only one of its kind.
    const auto signature = [](qint64 size, qint64 modified) {
        return QString::number(size) + u':' + QString::number(modified);
    };
    QHash<QString, int> goneBySignature;
    for (size_t i = 0; i < gone.size(); ++i) {
        const QString sig = signature(gone[i].size, gone[i].modified);
        goneBySignature[sig] = goneBySignature.contains(sig) ? -1 : int(i);
    }
    QHash<QString, int> freshBySignature;
    for (const FoundFile *f : fresh)
        ++freshBySignature[signature(f->size, f->modified)];
    std::vector<bool> movedAway(gone.size(), false);
    for (FoundFile *f : fresh) {
        const QString sig = signature(f->size, f->modified);
        const int g = goneBySignature.value(sig, -1);
        if (g >= 0 && freshBySignature.value(sig) == 1) {
            m_moves.push_back({gone[size_t(g)], *f});
            movedAway[size_t(g)] = true;
            continue;
        }
        m_todo.push_back({*f, Kind::New, {}});
    }
    for (size_t i = 0; i < gone.size(); ++i) {
        if (movedAway[i])
            continue;
        GoneFile g;
        g.songId = gone[i].songId;
        g.file = gone[i].identifier;
        MUS.clear();
        MUS.ID = gone[i].songId;
        if (Songlore.get(SongloreRecord::KeyID) == 0)
            g.song = MUS.Artist.trimmed().isEmpty()
                         ? QStringLiteral("\"%1\"").arg(MUS.Title.trimmed())
                         : AlbumSongs::describe(MUS);
        m_gone.push_back(std::move(g));
    }
    std::sort(m_gone.begin(), m_gone.end(),
              [](const GoneFile &a, const GoneFile &b) { return a.file < b.file; });
    found.clear();
    found.shrink_to_fit();
    m_phase = Phase::Read;
}

// The reader works through the list of files to read (fixed once the walk is planned) in order,
// and keeps at most a bounded number of files, and of cover bytes, waiting to be taken.
class MusicScan::Reader
{
public:
    struct Result
    {
        std::optional<FileTags> tags;
        QString error; ///< why the file could not be read
    };

    Reader(const std::vector<Todo> &todo, bool covers, size_t ahead)
        : m_todo(todo), m_covers(covers), m_ahead(std::max<size_t>(ahead, 1))
    {
        m_thread = std::thread([this] { run(); });
    }
    Reader(const Reader &) = delete;
    Reader &operator=(const Reader &) = delete;
    ~Reader()
    {
        {
            const std::lock_guard lock(m_mutex);
            m_stop = true;
        }
        m_space.notify_all();
        m_thread.join();
    }

    /// The next `most` files read (fewer only at the end), in the order of the list. Empty
    /// once every file has been taken.
    std::vector<Result> take(size_t most)
    {
        std::vector<Result> out;
        std::unique_lock lock(m_mutex);
        m_ready.wait(lock, [&] { return m_queue.size() >= most || m_done || full(); });
        while (!m_queue.empty() && out.size() < most) {
            Result &r = m_queue.front();
            m_coverBytes -= r.tags ? qint64(r.tags->cover.size()) : 0;
            out.push_back(std::move(r));
            m_queue.pop_front();
        }
        lock.unlock();
        m_space.notify_one();
        return out;
    }

private:
    // Bytes of covers read ahead: ten files with the largest cover kept.
    static constexpr qint64 MaxCoverBytesAhead = 10 * lookup::MaxCoverBytes;
    static constexpr size_t HandOver = 32;

    // Whether the reader waits for files to be taken (m_mutex held).
    bool full() const { return m_queue.size() >= m_ahead || m_coverBytes >= MaxCoverBytesAhead; }

    void run()
    {
        // The cover is read with the tags of a new album's first file, from the same opening.
        QSet<QString> coverAsked;
        std::vector<Result> ready;
        qint64 readyBytes = 0;
        for (size_t i = 0; i < m_todo.size(); ++i) {
            const Todo &todo = m_todo[i];
            const auto wantCover = [&](const FileTags &t) {
                if (todo.kind != Kind::New || !m_covers)
                    return false;
                const QString key = groupKeyOf(todo.file, t);
                if (coverAsked.contains(key))
                    return false;
                coverAsked.insert(key);
                return true;
            };
            Result r;
            r.tags = readFileTags(todo.file.path, &r.error, wantCover, lookup::MaxCoverBytes);
            readyBytes += r.tags ? qint64(r.tags->cover.size()) : 0;
            ready.push_back(std::move(r));
            // Handed over a few at a time: a hand-over per file would cost as much as reading it.
            if (ready.size() < HandOver && readyBytes == 0 && i + 1 < m_todo.size())
                continue;
            std::unique_lock lock(m_mutex);
            m_space.wait(lock, [this] { return m_stop || !full(); });
            if (m_stop)
                return;
            m_coverBytes += readyBytes;
            for (Result &one : ready)
                m_queue.push_back(std::move(one));
            ready.clear();
            readyBytes = 0;
            lock.unlock();
            m_ready.notify_one();
        }
        {
            const std::lock_guard lock(m_mutex);
            m_done = true;
        }
        m_ready.notify_one();
    }

    const std::vector<Todo> &m_todo;
    const bool m_covers;
    const size_t m_ahead;
    std::mutex m_mutex;
    std::condition_variable m_ready; ///< a file was read, or the last one
    std::condition_variable m_space; ///< a file was taken, or the reader is to stop
    std::deque<Result> m_queue;
    qint64 m_coverBytes = 0;
    bool m_done = false;
    bool m_stop = false;
    std::thread m_thread;
};

MusicScan::State MusicScan::step(int records)
{
    if (m_state != State::Running)
        return m_state;
    if (m_phase == Phase::Walk) {
        const bool walked = m_walk->step(std::max(1, records) * 50);
        m_current = m_walk->current();
        if (walked)
            plan();
        return m_state;
    }
    if (!m_reader && m_next < m_todo.size())
        m_reader = std::make_unique<Reader>(m_todo, !m_settings.dryRun,
                                            size_t(m_settings.batchFiles) + 256);
    std::vector<Reader::Result> read;
    if (m_reader)
        read = m_reader->take(size_t(std::max(1, records)));
    for (Reader::Result &r : read) {
        const Todo &todo = m_todo[m_next++];
        m_current = todo.file.identifier;
        ++m_filesRead;
        if (r.tags)
            m_batch.push_back({todo, std::move(*r.tags)});
        else
            m_unreadable.emplace_back(todo.file.identifier, r.error);
        if (qint64(m_batch.size()) >= m_settings.batchFiles && !writeBatch()) {
            finish(State::Failed);
            return m_state;
        }
    }
    if (m_next >= m_todo.size()) {
        if (!writeBatch())
            finish(State::Failed);
        else
            finish(State::Completed);
    }
    return m_state;
}

void MusicScan::cancel()
{
    if (m_state != State::Running)
        return;
    // What was taken from the reader before Cancel is kept, as the batches before it are.
    m_reader.reset();
    if (m_phase == Phase::Read && !writeBatch()) {
        finish(State::Failed);
        return;
    }
    finish(State::Cancelled);
}

void MusicScan::finish(State state)
{
    m_reader.reset();
    m_batch.clear();
    if (m_idWriter)
        m_idWriter->finish();
    if (m_songWriter)
        m_songWriter->finish();
    m_idWriter.reset();
    m_songWriter.reset();
    m_files.reset();
    m_walk.reset();
    m_current.clear();
    m_phase = Phase::Done;
    m_state = state;
}

int MusicScan::percent() const
{
    if (m_phase == Phase::Done)
        return 100;
    if (m_phase == Phase::Walk || m_todo.empty())
        return 0;
    return int(qint64(m_next) * 100 / qint64(m_todo.size()));
}

bool MusicScan::writeBatch()
{
    if (m_batch.empty() && m_moves.empty())
        return true;
    if (m_settings.dryRun) {
        for (const ReadFile &r : m_batch)
            ++(r.todo.kind == Kind::New ? m_songsAdded : m_songsUpdated);
        m_moved += qint64(m_moves.size());
        m_batch.clear();
        m_moves.clear();
        return true;
    }

    // Everything the new songs need, numbered by placeholders until the transaction.
    std::vector<AlbumGroup> groups;
    QHash<QString, int> groupIndex;
    QStringList categories; // names without a number yet
    const auto categoryRef = [&](const QString &name) -> qint64 {
        if (name.isEmpty())
            return 0;
        if (const auto it = m_categoryIds.constFind(name); it != m_categoryIds.cend())
            return *it;
        qsizetype i = categories.indexOf(name);
        if (i < 0) {
            categories << name;
            i = categories.size() - 1;
        }
        return -(i + 1);
    };

    const store::FileLayout &songLayout = SongloreRecord::fileLayout();
    const store::FileLayout &idLayout = ExternalIdRecord::fileLayout();
    m_songWriter->beginStep();
    m_idWriter->beginStep();
    qint32 local = 0;
    bool staged = true;
    for (const ReadFile &r : m_batch) {
        if (r.todo.kind != Kind::New) {
            categoryRef(categoryOfFile(r.tags));
            continue;
        }
        const SongloreRecord song = songOfFile(r.todo.file, r.tags, m_settings.media);
        const QString category = categoryOfFile(r.tags);
        const QString key = groupKeyOf(r.todo.file, r.tags);
        int g = groupIndex.value(key, -1);
        if (g < 0) {
            AlbumGroup group;
            group.key = key;
            group.artist =
                cutToField(r.tags.albumArtist.isEmpty() ? song.Artist : r.tags.albumArtist,
                           fieldSize(AlbumRecord::fileLayout(), "Artist"));
            group.album = cutToField(song.Album, fieldSize(AlbumRecord::fileLayout(), "Album"));
            group.folder = folderOf(r.todo.file.identifier);
            group.releaseDate = song.ReleaseDate;
            group.categoryId = categoryRef(category);
            group.albumId = m_albumIds.value(key, 0);
            group.cover = r.tags.cover;
            groups.push_back(std::move(group));
            g = int(groups.size() - 1);
            groupIndex.insert(key, g);
        }
        AlbumGroup &group = groups[size_t(g)];
        if (group.cover.isEmpty() && !r.tags.cover.isEmpty())
            group.cover = r.tags.cover;
        if (song.Time > 0)
            group.time += song.Time - 1;
        const qint32 albumRef = group.albumId ? group.albumId : -(g + 1);

        MUS = song;
        MUS.ID = ++local;
        MUS.AlbumID = albumRef;
        MUS.CategoryID = qint32(categoryRef(category));
        EXT.clear();
        EXT.AlbumID = albumRef;
        EXT.SongID = local;
        EXT.Source = ExternalSource::MusicFile;
        EXT.Identifier = r.todo.file.identifier;
        EXT.Size = r.todo.file.size;
        EXT.Modified = r.todo.file.modified;
        EXT.Stamp = songStamp(song, category);
        if (m_songWriter->stage() != 0 || m_idWriter->stage() != 0) {
            staged = false;
            break;
        }
    }
    m_songWriter->endStep(staged);
    m_idWriter->endStep(staged);
    if (!staged)
        return fail(QStringLiteral("The songs cannot be staged"));

    // The covers of albums the scan has not met before, written before the transaction (a file
    // left by a stopped scan is used again by the next, under the same name).
    for (AlbumGroup &group : groups) {
        if (group.albumId)
            continue;
        QByteArray cover = std::move(group.cover);
        if (cover.isEmpty())
            cover = pictureFile(m_walk->coverIn(group.folder), lookup::MaxCoverBytes);
        if (cover.isEmpty())
            continue;
        const QString name =
            QStringLiteral("file-") +
            QString::fromLatin1(
                QCryptographicHash::hash(group.key.toUtf8(), QCryptographicHash::Sha1).toHex());
        const lookup::CoverResult stored = lookup::storeCover(cover, m_dataDirectory, name);
        if (stored.ok() &&
            stored.path.size() <= fieldSize(AlbumRecord::fileLayout(), "AssociatedImage"))
            group.image = stored.path;
    }

    Transaction txn;
    if (const int rc = txn.begin(); rc != 0)
        return fail(QStringLiteral("The music files cannot be added"), rc);
    qint64 categoriesAdded = 0;
    qint64 albumsAdded = 0;
    QHash<QString, qint64> newCategoryIds;
    QHash<QString, qint32> newAlbumIds;

    // The media format.
    QString media = m_storedMedia;
    if (media.isEmpty()) {
        MED.clear();
        MED.Media = m_settings.media;
        int rc = Media.get(MediaRecord::KeyMedia);
        if (rc == store::RecordNotFoundErr) {
            MED.clear();
            MED.Media = m_settings.media;
            rc = Media.add();
        }
        if (rc != 0)
            return fail(QStringLiteral("The media format cannot be added"), rc);
        media = MED.Media;
    }

    // Categories.
    std::vector<std::pair<store::Value, store::Value>> categoryMap;
    for (qsizetype i = 0; i < categories.size(); ++i) {
        qint64 id = 0;
        bool added = false;
        if (const int rc = categoryId(categories[i], &id, &added); rc != 0)
            return fail(QStringLiteral("The category \"%1\" cannot be added").arg(categories[i]),
                        rc);
        categoriesAdded += added ? 1 : 0;
        newCategoryIds.insert(categories[i], id);
        categoryMap.emplace_back(store::Value(qint64(-(i + 1))), store::Value(id));
    }
    const auto resolvedCategory = [&](qint64 ref) {
        return ref >= 0 ? ref : categoryMap[size_t(-ref - 1)].second.toLongLong();
    };

    // Albums: one the scan already made for files of the same folder, one of the same title and
    // artist, or a new one.
    std::vector<std::pair<store::Value, store::Value>> albumMap;
    qint32 nextAlbum = 0;
    for (size_t g = 0; g < groups.size(); ++g) {
        AlbumGroup &group = groups[g];
        if (!group.albumId) {
            int rc = store::RecordNotFoundErr;
            for (const qint32 id : m_folderAlbums.value(group.folder)) {
                ALB.clear();
                ALB.AlbumID = id;
                if (Album.get(AlbumRecord::KeyAlbumID) == 0 &&
                    folded(ALB.Album) == folded(group.album)) {
                    rc = 0;
                    break;
                }
            }
            if (rc != 0) {
                ALB.clear();
                ALB.Album = group.album;
                ALB.Artist = group.artist;
                rc = Album.get(AlbumRecord::KeyAlbum);
            }
            if (rc == 0) {
                group.albumId = ALB.AlbumID;
                if (ALB.AssociatedImage.isEmpty() && !group.image.isEmpty()) {
                    ALB.AssociatedImage = group.image;
                    rc = Album.put();
                }
            } else if (rc == store::RecordNotFoundErr) {
                // Numbered once a batch: the transaction holds the files, so the numbers after
                // the first are this batch's own.
                rc = nextAlbum ? 0 : nextAlbumId(nextAlbum);
                if (rc == 0) {
                    const qint32 id = nextAlbum++;
                    ALB.clear();
                    ALB.AlbumID = id;
                    ALB.Album = group.album;
                    ALB.Artist = group.artist;
                    ALB.Media = media;
                    ALB.ReleaseDate = group.releaseDate;
                    ALB.CategoryID = resolvedCategory(group.categoryId);
                    ALB.AssociatedImage = group.image;
                    ALB.TotalTime = group.time > 0 ? qint32(group.time + 1) : 0;
                    rc = Album.add();
                    group.albumId = id;
                    group.time = 0; // counted
                    ++albumsAdded;
                }
            }
            if (rc != 0)
                return fail(QStringLiteral("The album \"%1\" cannot be added").arg(group.album),
                            rc);
            albumMap.emplace_back(store::Value(qint64(-qint64(g) - 1)),
                                  store::Value(qint64(group.albumId)));
            newAlbumIds.insert(group.key, group.albumId);
        }
        if (group.time > 0) {
            ALB.clear();
            ALB.AlbumID = group.albumId;
            int rc = Album.get(AlbumRecord::KeyAlbumID);
            if (rc == 0) {
                ALB.TotalTime =
                    qint32((ALB.TotalTime > 0 ? ALB.TotalTime - 1 : 0) + group.time + 1);
                rc = Album.put();
            }
            if (rc != 0)
                return fail(QStringLiteral("The album \"%1\" cannot be changed").arg(group.album),
                            rc);
        }
    }

    // Files that moved: their identifiers follow them.
    for (const Move &m : m_moves) {
        EXT.clear();
        EXT.SongID = m.from.songId;
        EXT.Source = ExternalSource::MusicFile;
        EXT.Identifier = m.from.identifier;
        int rc = ExternalIds.get(ExternalIdRecord::KeySong);
        if (rc == 0) {
            EXT.Identifier = m.to.identifier;
            rc = ExternalIds.put();
        }
        if (rc != 0 && rc != store::RecordNotFoundErr)
            return fail(QStringLiteral("The moved file %1 cannot be kept").arg(m.to.identifier),
                        rc);
    }

    // Files that changed: their songs take what the files say now, except where the user has
    // changed a field since the last scan.
    qint64 updated = 0;
    std::vector<KeptEdit> kept;
    for (const ReadFile &r : m_batch) {
        if (r.todo.kind != Kind::Changed)
            continue;
        SongloreRecord fileSong = songOfFile(r.todo.file, r.tags, media);
        const QString fileCategory = categoryOfFile(r.tags);
        fileSong.CategoryID =
            qint32(fileCategory.isEmpty()
                       ? 0
                       : newCategoryIds.value(fileCategory, m_categoryIds.value(fileCategory)));
        MUS.clear();
        MUS.ID = r.todo.known.songId;
        int rc = Songlore.get(SongloreRecord::KeyID);
        if (rc == 0) {
            const SongloreRecord stored = MUS;
            const QString storedCategory = categoryName(stored.CategoryID);
            const std::vector<SongField> edited =
                changedSince(stored, storedCategory, r.todo.known.stamp);
            bool changed = false;
            for (int f = 0; f < SongFieldCount; ++f) {
                const SongField field = SongField(f);
                const QString now = songFieldText(fileSong, field, fileCategory);
                const QString was = songFieldText(stored, field, storedCategory);
                if (now == was)
                    continue;
                if (std::find(edited.cbegin(), edited.cend(), field) != edited.cend()) {
                    kept.push_back({r.todo.file.identifier, songFieldName(field), was, now});
                    continue;
                }
                copySongField(MUS, fileSong, field);
                changed = true;
            }
            if (changed) {
                rc = Songlore.put();
                updated += rc == 0 ? 1 : 0;
            }
        } else if (rc == store::RecordNotFoundErr) {
            rc = 0; // the user deleted the song: the file is not added again
        }
        if (rc != 0)
            return fail(
                QStringLiteral("The song of %1 cannot be changed").arg(r.todo.file.identifier), rc);
        EXT.clear();
        EXT.SongID = r.todo.known.songId;
        EXT.Source = ExternalSource::MusicFile;
        EXT.Identifier = r.todo.file.identifier;
        rc = ExternalIds.get(ExternalIdRecord::KeySong);
        if (rc == 0) {
            EXT.Size = r.todo.file.size;
            EXT.Modified = r.todo.file.modified;
            EXT.Stamp = songStamp(fileSong, fileCategory);
            rc = ExternalIds.put();
        }
        if (rc != 0)
            return fail(QStringLiteral("The identifier of %1 cannot be changed")
                            .arg(r.todo.file.identifier),
                        rc);
    }

    // The new songs and their identifiers, numbered on from the highest song number now.
    const qint64 newSongs = m_songWriter->staged();
    if (newSongs > 0) {
        qint32 next = 0;
        if (const int rc = nextSongId(next); rc != 0)
            return fail(QStringLiteral("The songs cannot be numbered"), rc);
        const qint64 base = next - 1;
        m_songWriter->setExpression(songLayout.fieldIndex(QStringLiteral("ID")),
                                    QStringLiteral("%1+s.\"ID\"").arg(base));
        m_idWriter->setExpression(idLayout.fieldIndex(QStringLiteral("SongID")),
                                  QStringLiteral("%1+s.\"SongID\"").arg(base));
        std::vector<std::pair<store::Value, store::Value>> mediaMap;
        if (media != m_settings.media)
            mediaMap.emplace_back(store::Value(m_settings.media), store::Value(media));
        if (m_songWriter->mapValues(songLayout.fieldIndex(QStringLiteral("AlbumID")), albumMap) ||
            m_songWriter->mapValues(songLayout.fieldIndex(QStringLiteral("CategoryID")),
                                    categoryMap) ||
            m_songWriter->mapValues(songLayout.fieldIndex(QStringLiteral("Media")), mediaMap) ||
            m_idWriter->mapValues(idLayout.fieldIndex(QStringLiteral("AlbumID")), albumMap))
            return fail(QStringLiteral("The songs cannot be added"));
        if (const int rc = m_songWriter->merge(); rc != 0)
            return fail(QStringLiteral("The songs cannot be added"), rc);
        if (const int rc = m_idWriter->merge(); rc != 0)
            return fail(QStringLiteral("The files' identifiers cannot be kept"), rc);
    }
    if (const int rc = txn.commit(); rc != 0)
        return fail(QStringLiteral("The music files cannot be added"), rc);

    m_storedMedia = media;
    for (auto it = newCategoryIds.cbegin(); it != newCategoryIds.cend(); ++it)
        m_categoryIds.insert(it.key(), it.value());
    for (auto it = newAlbumIds.cbegin(); it != newAlbumIds.cend(); ++it)
        m_albumIds.insert(it.key(), it.value());
    m_songsAdded += newSongs;
    m_songsUpdated += updated;
    m_albumsAdded += albumsAdded;
    m_categoriesAdded += categoriesAdded;
    m_moved += qint64(m_moves.size());
    m_keptEdits.insert(m_keptEdits.end(), kept.begin(), kept.end());
    m_batch.clear();
    m_moves.clear();
    return true;
}

QStringList MusicScan::summary() const
{
    const auto count = [](qint64 n, const char *one, const char *many) {
        return n == 1 ? QString::fromLatin1(one) : QString::fromLatin1(many).arg(n);
    };
    const QString would =
        m_settings.dryRun ? QStringLiteral(" (dry run: nothing written)") : QString();
    QStringList lines;
    lines << count(m_found, "1 music file found", "%1 music files found");
    lines << count(m_songsAdded, "1 song added", "%1 songs added") + would;
    if (m_albumsAdded)
        lines << count(m_albumsAdded, "1 album added", "%1 albums added");
    if (m_categoriesAdded)
        lines << count(m_categoriesAdded, "1 category added", "%1 categories added");
    if (m_songsUpdated)
        lines << count(m_songsUpdated, "1 song updated from its changed file",
                       "%1 songs updated from their changed files");
    if (m_moved)
        lines << count(m_moved, "1 file moved (its song follows it)",
                       "%1 files moved (their songs follow them)");
    lines << count(m_unchanged, "1 file unchanged", "%1 files unchanged");
    if (!m_keptEdits.empty())
        lines << count(qint64(m_keptEdits.size()), "1 field changed by the user kept",
                       "%1 fields changed by the user kept");
    if (!m_gone.empty())
        lines << count(qint64(m_gone.size()), "1 file is gone", "%1 files are gone");
    if (!m_unreadable.empty())
        lines << count(qint64(m_unreadable.size()), "1 file could not be read",
                       "%1 files could not be read");
    if (m_otherFiles)
        lines << count(m_otherFiles, "1 other file passed over", "%1 other files passed over");
    return lines;
}

QStringList MusicScan::details() const
{
    QStringList lines;
    if (!m_unreadable.empty()) {
        lines << QStringLiteral("Not read:");
        for (const auto &[file, reason] : m_unreadable)
            lines << QStringLiteral("  %1: %2").arg(file, reason);
    }
    if (!m_keptEdits.empty()) {
        lines << QStringLiteral("Changed in the catalogue, kept (the file says otherwise):");
        for (const KeptEdit &e : m_keptEdits)
            lines << QStringLiteral("  %1: %2 \"%3\" kept, the file says \"%4\"")
                         .arg(e.file, e.field, e.kept, e.fileSays);
    }
    if (!m_gone.empty()) {
        lines << QStringLiteral("Gone (their songs are kept):");
        for (const GoneFile &g : m_gone)
            lines << QStringLiteral("  %1: %2")
                         .arg(g.file,
                              g.song.isEmpty() ? QStringLiteral("song %1").arg(g.songId) : g.song);
    }
    return lines;
}

MusicScan::Removal MusicScan::deleteGoneSongs(const std::vector<qint32> &songIds)
{
    Removal r;
    if (songIds.empty())
        return r;
    const store::FileUses files{&Songlore, &PlaylistDetails, &ExternalIds};
    if (!files.ok()) {
        r.error = QStringLiteral("The data files cannot be opened.");
        return r;
    }
    const AlbumSongs::Removal removal = AlbumSongs::deleteSongs(songIds);
    if (removal.inPlaylist) {
        r.error = QStringLiteral("%1 is in a playlist; no song was deleted.").arg(removal.song);
        return r;
    }
    if (removal.error) {
        r.error =
            QStringLiteral("The songs could not be deleted: ") + store::errorText(removal.error);
        return r;
    }
    r.deleted = removal.deleted;
    // Their identifiers go too; should this fail, the next scan lists the files again and
    // deleting them then removes what is left.
    store::Store &st = store::Store::instance();
    if (st.logout({&ExternalIds}) != 0)
        return r;
    for (const qint32 id : songIds) {
        std::vector<store::Position> positions;
        EXT.clear();
        EXT.SongID = id;
        EXT.Source = ExternalSource::MusicFile;
        ExternalIds.setFromBuffer(ExternalIdRecord::KeySong);
        while (ExternalIds.next() == 0 && EXT.SongID == id &&
               EXT.Source == ExternalSource::MusicFile)
            positions.push_back(ExternalIds.position());
        for (const store::Position &p : positions)
            if (ExternalIds.reget(p) != 0 || ExternalIds.deleteRecord() != 0) {
                st.rollback();
                return r;
            }
    }
    st.commit();
    return r;
}

} // namespace melodex::musicfiles
