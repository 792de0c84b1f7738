// The import's record loop: one song added per line of the file.
#include "interchange/importrun.h"

#include "app/mediaseed.h"
#include "data/lostfile.h"
#include "data/records.h"
#include "interchange/bufferguard.h"
#include "interchange/importconversion.h"
#include "interchange/importfile.h"
#include "interchange/importprecheck.h"
#include "interchange/interchangefields.h"
#include "platform/store/cliptext.h"
#include "platform/store/errors.h"
#include "platform/store/store.h"
#include "services/messageservice.h"

#include <QElapsedTimer>

#include <sqlite3.h>

#include <algorithm>

namespace melodex {

namespace {

constexpr int AddAttempts = 3;
// How long the merge of a bulk run waits for the files (other writers hold them a second or so).
constexpr int MergeWaitSeconds = 10;
const QString DefaultMedia = QStringLiteral("CD");

void show(const QString &caption, const QString &text,
          MessageRequest::Icon icon = MessageRequest::Warning)
{
    MessageService::instance().show(
        MessageRequest{caption, text, icon, MessageRequest::Ok, MessageRequest::Ok});
}

// The store's last error as the file routines' messages show it.
QString storeErrorText()
{
    const store::ErrorState &e = store::lastError();
    const QString text =
        e.code == store::FileSystemErr && !e.driverText.isEmpty() ? e.driverText : e.text;
    return QStringLiteral("Error #") + QString::number(e.code) + QStringLiteral(" - ") + text;
}

qint64 pragmaValue(sqlite3 *db, const QByteArray &pragma)
{
    sqlite3_stmt *st = nullptr;
    qint64 value = 0;
    if (sqlite3_prepare_v2(db, pragma.constData(), -1, &st, nullptr) == SQLITE_OK &&
        sqlite3_step(st) == SQLITE_ROW)
        value = sqlite3_column_int64(st, 0);
    sqlite3_finalize(st);
    return value;
}

QString counted(qint64 n, QStringView one, QStringView many)
{
    return QString::number(n) + u' ' + (n == 1 ? one : many).toString();
}

bool isBlank(QStringView text)
{
    return std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.isSpace(); });
}

} // namespace

ImportRun::ImportRun(ImportFile &file, const ImportAssignment &assignment, bool stripHeader)
    : m_file(file), m_assignment(assignment), m_stripHeader(stripHeader)
{
}

ImportRun::~ImportRun()
{
    restoreConnection();
}

bool ImportRun::start()
{
    if (m_started)
        return m_state == State::Running;
    if (!m_assignment.hasAssignments()) {
        show(QStringLiteral("No Fields Selected for Import!"),
             QStringLiteral("You must select one or more fields to import."));
        return false;
    }
    // A column that none of its values can fill would lose its field in every song.
    if (const std::optional<QString> reason =
            unreadableColumn(m_file, m_assignment, m_stripHeader)) {
        show(QStringLiteral("Cannot IMPORT ") + m_file.path(), *reason);
        return false;
    }
    if (!m_uses.open({&Songlore, &Categories, &Media}))
        return false;
    {
        // A new catalogue gets its usual formats first, as the main window would give it; the
        // import then adds only the formats those lack.
        const BufferGuard mediaBuffer(Media);
        seedMediaFormats();
    }

    const store::FileLayout &songs = SongloreRecord::fileLayout();
    m_sources.assign(size_t(m_assignment.fields().size()), Source{});
    for (qsizetype i = 0; i < m_assignment.fields().size(); ++i)
        m_sources[size_t(i)].picture = picture::Picture::parse(m_assignment.fields()[i].picture);
    for (const ImportAssignment::Target &t : m_assignment.targets()) {
        if (t.field < 0)
            continue;
        if (t.name.compare(CategoryNameField, Qt::CaseInsensitive) == 0) {
            m_categorySource = t.field;
            continue;
        }
        const int index = songs.fieldIndex(t.name);
        if (index < 0)
            continue;
        if (index == songs.fieldIndex(QStringLiteral("Media")))
            m_mediaAssigned = true;
        m_sources[size_t(t.field)].targets.push_back(
            Target{index, songs.fields[size_t(index)],
                   picture::Picture::parse(defaultPicture(t.name)), t.name});
    }

    m_songIds = std::make_unique<store::View>(Songlore);
    m_songIds->setOrder(SongloreRecord::KeyID);
    m_categoryIds = std::make_unique<store::View>(Categories);
    m_categoryIds->setOrder(CategoriesRecord::KeyCategoryID);
    if (m_songIds->open() != 0 || m_categoryIds->open() != 0) {
        show(QStringLiteral("Cannot ADD to Songlore!"), storeErrorText());
        return false;
    }

    tuneConnection();
    if (m_bulkRequested) {
        m_bulk = std::make_unique<store::BulkWriter>(Songlore);
        if (m_bulk->start() != 0) {
            show(QStringLiteral("Cannot ADD to Songlore!"), storeErrorText());
            m_bulk.reset();
            restoreConnection();
            return false;
        }
    }
    m_started = true;
    m_state = State::Running;
    if (!m_file.rewind()) {
        show(QStringLiteral("Cannot OPEN ") + m_file.path(), m_file.errorText());
        finish(State::Failed);
        return false;
    }
    if (m_stripHeader) {
        const ImportFile::Line header = m_file.readFieldLine();
        if (header == ImportFile::Line::End) {
            finish(State::Completed);
        } else if (header == ImportFile::Line::Failed) {
            show(QStringLiteral("Cannot OPEN ") + m_file.path(), m_file.errorText());
            finish(State::Failed);
            return false;
        }
    }
    return true;
}

int ImportRun::percent() const
{
    return m_state == State::Completed ? 100 : m_file.percent();
}

qint64 ImportRun::highest(store::View &view)
{
    std::vector<store::Cursor::Row> rows;
    view.set();
    if (view.fetch(false, 1, rows) != 0 || rows.empty())
        return 0;
    const int keyField = view.file().layout().keys[size_t(view.order())].fields.front();
    return rows.front().values[size_t(keyField)].toLongLong();
}

std::optional<ImportRun::Failure> ImportRun::readLines(int lines, bool *atEnd)
{
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < lines && !*atEnd; ++i) {
        if (m_stepTime.count() > 0 && i % 64 == 63 && clock.elapsed() >= m_stepTime.count())
            break;
        switch (m_file.readLine()) {
        case ImportFile::Line::End:
            *atEnd = true;
            break;
        case ImportFile::Line::Failed:
            return Failure{QStringLiteral("Cannot READ ") + m_file.path(), m_file.errorText()};
        case ImportFile::Line::Blank:
            break;
        case ImportFile::Line::TooLong:
            m_report.note(ImportReport::TooLong, m_file.lineNumber());
            break;
        case ImportFile::Line::Binary:
            m_report.note(ImportReport::Binary, m_file.lineNumber());
            break;
        case ImportFile::Line::Fields:
            if (std::optional<Failure> failure = importLine())
                return failure;
            break;
        }
    }
    return std::nullopt;
}

// A bulk step stages lines without locking any data file; the songs are added when the file
// has been read, or when a step fails (the songs of the steps before it), in one transaction.
ImportRun::State ImportRun::stepBulk(int lines)
{
    std::optional<Failure> failure;
    bool atEnd = false;
    {
        const BufferGuard songBuffer(Songlore);
        const BufferGuard categoryBuffer(Categories);
        const BufferGuard mediaBuffer(Media);
        if (m_bulk->staged() == 0)
            m_firstStagedLine = m_file.lastLineNumber() + 1;
        m_batchFirstLine = m_file.lastLineNumber() + 1;
        const qsizetype categories = m_missingCategories.size();
        const qsizetype media = m_missingMedia.size();
        const qint64 songId = m_stagedSongId;
        if (m_bulk->beginStep() != 0)
            failure = Failure{QStringLiteral("Cannot ADD to Songlore!"), storeErrorText()};
        if (!failure)
            failure = readLines(lines, &atEnd);
        if (m_bulk->endStep(!failure) != 0 && !failure)
            failure = Failure{QStringLiteral("Cannot ADD to Songlore!"), storeErrorText()};
        if (failure) {
            // Nothing of the failed step is added: neither its songs nor what only they needed.
            m_missingCategories.resize(categories);
            m_missingMedia.resize(media);
            m_stagedSongId = songId;
            m_categoryCache.clear();
            m_mediaCache.clear();
        }
        if (failure || atEnd) {
            const qint64 firstLine = m_batchFirstLine;
            std::optional<Failure> merged = mergeStaged();
            if (merged) {
                m_batchFirstLine = m_firstStagedLine;
                failure = std::move(merged);
            } else {
                m_batchFirstLine = firstLine;
            }
        }
    }
    if (failure) {
        show(failure->caption, failure->text + QStringLiteral("\n\n") + keptText());
        finish(State::Failed);
    } else if (atEnd) {
        finish(State::Completed);
    }
    return m_state;
}

ImportRun::State ImportRun::step(int lines)
{
    if (m_state != State::Running)
        return m_state;
    if (m_bulk)
        return stepBulk(lines);

    std::optional<Failure> failure;
    bool atEnd = false;
    {
        const BufferGuard songBuffer(Songlore);
        const BufferGuard categoryBuffer(Categories);
        const BufferGuard mediaBuffer(Media);
        store::Store &st = store::Store::instance();
        st.stream();
        m_batchSongs = m_batchCategories = m_batchMedia = 0;
        m_batchFirstLine = m_file.lastLineNumber() + 1;
        // Without a transaction every add would stand on its own, and a failure could not take
        // back the songs and categories of the step before it.
        if (!st.inTransaction()) {
            if (sqlite3 *db = st.db())
                st.fail(sqlite3_errcode(db), Songlore.name());
            failure = Failure{QStringLiteral("Cannot ADD to Songlore!"), storeErrorText()};
        } else {
            m_nextSongId = highest(*m_songIds) + 1;
        }
        if (!failure)
            failure = readLines(lines, &atEnd);
        // The batch ends before any message is shown: a message box lets other windows work,
        // and they must find no transaction of ours open. A failed step keeps nothing of its
        // own: its songs and the categories added for them go together.
        if (failure) {
            if (st.inTransaction())
                st.rollback();
            else
                st.flush();
        } else if (st.flush() != 0) {
            failure = Failure{QStringLiteral("Cannot ADD to Songlore!"), storeErrorText()};
        }
        if (failure) {
            m_categoryCache.clear();
            m_mediaCache.clear();
        } else {
            m_songsAdded += m_batchSongs;
            m_categoriesAdded += m_batchCategories;
            m_mediaAdded += m_batchMedia;
        }
    }

    if (failure) {
        show(failure->caption, failure->text + QStringLiteral("\n\n") + keptText());
        finish(State::Failed);
    } else if (atEnd) {
        finish(State::Completed);
    }
    return m_state;
}

std::optional<ImportRun::Failure> ImportRun::importLine()
{
    const QList<CsvField> &fields = m_file.fields();
    const qint64 line = m_file.lineNumber();
    // The line that named the fields is no song, stripped or not.
    if (m_assignment.isNamesLine(line))
        return std::nullopt;
    if (std::all_of(fields.cbegin(), fields.cend(),
                    [](const CsvField &f) { return isBlank(f.text); })) {
        m_report.note(ImportReport::NoValues, line);
        return std::nullopt;
    }
    if (m_file.lineWasReencoded())
        m_report.note(ImportReport::Reencoded, line);
    if (m_file.lineHasUnterminatedQuote())
        m_report.note(ImportReport::UnterminatedQuote, line);
    if (fields.size() > qsizetype(m_sources.size()))
        m_report.note(ImportReport::ExtraFields, line);

    MUS.clear();
    const qsizetype present = std::min(fields.size(), qsizetype(m_sources.size()));
    for (qsizetype i = 0; i < present; ++i) {
        const Source &source = m_sources[size_t(i)];
        const QString &text = fields[i].text;
        for (const Target &t : source.targets) {
            const ImportedValue v = convertImportValue(text, source.picture, t.def, t.picture);
            if (!v.readable) {
                m_report.note(ImportReport::UnreadableValue, line,
                              t.name + QStringLiteral(": \"") + text.left(40) + u'"');
            } else if (t.def.isText() && store::clippedLength(v.value.toString()) > t.def.size) {
                m_report.note(ImportReport::CutText, line, t.name);
            }
            MUS.setValue(t.field, v.value);
        }
    }

    if (m_categorySource >= 0 && m_categorySource < fields.size()) {
        const QString name = fields[m_categorySource].text.trimmed();
        if (!name.isEmpty()) {
            qint64 id = 0;
            if (std::optional<Failure> failure = categoryOf(name, &id))
                return failure;
            MUS.CategoryID = qint32(id);
        }
    }
    // The song form accepts only a media format of the Media file, and gives a new song "CD".
    if (isBlank(MUS.Media)) {
        MUS.Media = DefaultMedia;
        ++m_songsGivenDefaultMedia;
        // Without a media column every song is one: that is said once, in the summary.
        if (m_mediaAssigned)
            m_report.note(ImportReport::NoMedia, line);
    }
    if (std::optional<Failure> failure = mediaOf(&MUS.Media))
        return failure;
    return addSong();
}

std::optional<ImportRun::Failure> ImportRun::mediaOf(QString *media)
{
    // Keyed by the text as the file has it: one look-up per line, and each spelling is
    // looked up in the Media file (whose key ignores letter case) only once.
    if (auto it = m_mediaCache.constFind(*media); it != m_mediaCache.cend()) {
        *media = *it;
        return std::nullopt;
    }
    const QString text = *media;
    const QString key = text.left(MediaRecord::fileLayout().fields[0].size).trimmed();
    if (m_bulk) {
        MED.clear();
        MED.Media = key;
        const int found = Media.get(MediaRecord::KeyMedia);
        if (found == 0) {
            *media = MED.Media;
        } else if (found == store::RecordNotFoundErr) {
            // Added when the songs are; the merge then spells it as the Media file does.
            if (!m_missingMedia.contains(key))
                m_missingMedia << key;
            *media = key;
        } else {
            return Failure{QStringLiteral("Cannot ADD to Media!"), storeErrorText()};
        }
        m_mediaCache.insert(text, *media);
        return std::nullopt;
    }
    if (std::optional<Failure> failure = addMedia(key, media))
        return failure;
    m_mediaCache.insert(text, *media);
    return std::nullopt;
}

std::optional<ImportRun::Failure> ImportRun::addMedia(const QString &key, QString *media)
{
    const auto failed = [] {
        return Failure{QStringLiteral("Cannot ADD to Media!"), storeErrorText()};
    };
    for (int attempt = 1;; ++attempt) {
        MED.clear();
        MED.Media = key;
        const int found = Media.get(MediaRecord::KeyMedia);
        if (found == 0) {
            // The spelling the Media file has, as the song form takes it from its list.
            *media = MED.Media;
            return std::nullopt;
        }
        if (found != store::RecordNotFoundErr)
            return failed();
        MED.clear();
        MED.Media = key;
        const int rc = Media.add();
        if (rc == 0) {
            ++m_batchMedia;
            *media = key;
            return std::nullopt;
        }
        // Someone added it meanwhile: look again.
        if (rc != store::DupKeyErr || attempt >= AddAttempts)
            return failed();
    }
}

std::optional<ImportRun::Failure> ImportRun::addSong()
{
    if (m_bulk) {
        MUS.ID = qint32(++m_stagedSongId);
        if (m_bulk->stage() != 0) {
            --m_stagedSongId;
            return Failure{QStringLiteral("Cannot ADD to Songlore!"), storeErrorText()};
        }
        return std::nullopt;
    }
    for (int attempt = 1;; ++attempt) {
        MUS.ID = qint32(m_nextSongId);
        const int rc = Songlore.add();
        if (rc == 0) {
            ++m_nextSongId;
            ++m_batchSongs;
            return std::nullopt;
        }
        // Another window may have numbered a song meanwhile: number again, as the form does.
        if (rc == store::DupKeyErr && Songlore.duplicateKey() == SongloreRecord::KeyID &&
            attempt < AddAttempts) {
            m_nextSongId = highest(*m_songIds) + 1;
            continue;
        }
        return Failure{QStringLiteral("Cannot ADD to Songlore!"), storeErrorText()};
    }
}

std::optional<ImportRun::Failure> ImportRun::categoryOf(const QString &name, qint64 *id)
{
    const int width = CategoriesRecord::fileLayout().fields[1].size;
    const QString key = name.left(width).trimmed();
    if (auto it = m_categoryCache.constFind(key); it != m_categoryCache.cend()) {
        *id = *it;
        return std::nullopt;
    }
    if (m_bulk) {
        CAT.clear();
        CAT.Category = key;
        const int found = Categories.get(CategoriesRecord::KeyCategory);
        if (found == 0) {
            *id = CAT.CategoryID;
        } else if (found == store::RecordNotFoundErr) {
            m_missingCategories << key;
            *id = -m_missingCategories.size();
        } else {
            return Failure{QStringLiteral("Cannot ADD to Categories!"), storeErrorText()};
        }
        m_categoryCache.insert(key, *id);
        return std::nullopt;
    }
    return addCategory(key, id);
}

std::optional<ImportRun::Failure> ImportRun::addCategory(const QString &key, qint64 *id)
{
    const auto failed = [] {
        return Failure{QStringLiteral("Cannot ADD to Categories!"), storeErrorText()};
    };
    for (int attempt = 1;; ++attempt) {
        CAT.clear();
        CAT.Category = key;
        const int found = Categories.get(CategoriesRecord::KeyCategory);
        if (found == 0) {
            *id = CAT.CategoryID;
            m_categoryCache.insert(key, *id);
            return std::nullopt;
        }
        if (found != store::RecordNotFoundErr)
            return failed();
        CAT.clear();
        CAT.CategoryID = std::max(highest(*m_categoryIds), highestReferenceTo(Categories)) + 1;
        CAT.Category = key;
        const int rc = Categories.add();
        if (rc == 0) {
            ++m_batchCategories;
            *id = CAT.CategoryID;
            m_categoryCache.insert(key, *id);
            return std::nullopt;
        }
        // Someone added the number or the name meanwhile: look again.
        if (rc != store::DupKeyErr || attempt >= AddAttempts)
            return failed();
    }
}

QStringList ImportRun::summary() const
{
    QStringList items{counted(m_songsAdded, u"song", u"songs") + QStringLiteral(" added")};
    if (const qint64 changed = m_report.changedLines())
        items << counted(changed, u"line", u"lines") + QStringLiteral(" imported with changes");
    if (const qint64 skipped = m_report.skippedLines())
        items << counted(skipped, u"line", u"lines") + QStringLiteral(" not imported");
    items << counted(m_categoriesAdded, u"category", u"categories") + QStringLiteral(" added");
    items << counted(m_mediaAdded, u"media format", u"media formats") + QStringLiteral(" added");
    if (!m_mediaAssigned && m_songsGivenDefaultMedia > 0)
        items << counted(m_songsGivenDefaultMedia, u"song", u"songs") +
                     QStringLiteral(" without a media format given \"CD\"");
    return items;
}

QString ImportRun::keptText() const
{
    const QString kept =
        m_songsAdded == 1 ? QStringLiteral("1 song added before it is kept")
                          : QStringLiteral("%1 songs added before it are kept").arg(m_songsAdded);
    return QStringLiteral("The import stopped in the lines from line %1 on; nothing of them was "
                          "added. %2.")
        .arg(m_batchFirstLine)
        .arg(kept);
}

std::optional<ImportRun::Failure> ImportRun::mergeStaged()
{
    if (m_bulk->staged() == 0)
        return std::nullopt;
    store::Store &st = store::Store::instance();
    const auto failed = [&st](const QString &caption) {
        Failure f{caption, storeErrorText()};
        if (st.inTransaction())
            st.rollback();
        return f;
    };
    // Other writers commit within a second or two; the staged songs are worth a longer wait.
    if (st.logout({&Songlore, &Categories, &Media}, MergeWaitSeconds) != 0)
        return failed(QStringLiteral("Cannot ADD to Songlore!"));
    m_batchCategories = m_batchMedia = 0;
    std::vector<std::pair<store::Value, store::Value>> categories;
    for (qsizetype i = 0; i < m_missingCategories.size(); ++i) {
        qint64 id = 0;
        if (std::optional<Failure> failure = addCategory(m_missingCategories[i], &id)) {
            st.rollback();
            return failure;
        }
        categories.emplace_back(store::Value(qint64(-(i + 1))), store::Value(id));
    }
    std::vector<std::pair<store::Value, store::Value>> media;
    for (const QString &key : std::as_const(m_missingMedia)) {
        QString stored;
        if (std::optional<Failure> failure = addMedia(key, &stored)) {
            st.rollback();
            return failure;
        }
        if (stored != key)
            media.emplace_back(store::Value(key), store::Value(stored));
    }
    const store::FileLayout &songs = SongloreRecord::fileLayout();
    // Numbered on from the highest number stored now, without gaps, as adding one by one does.
    const qint64 base = highest(*m_songIds);
    m_bulk->setExpression(songs.fieldIndex(QStringLiteral("ID")),
                          QStringLiteral("%1+s.\"ID\"").arg(base));
    if (m_bulk->mapValues(songs.fieldIndex(QStringLiteral("CategoryID")), categories) != 0 ||
        m_bulk->mapValues(songs.fieldIndex(QStringLiteral("Media")), media) != 0)
        return failed(QStringLiteral("Cannot ADD to Songlore!"));
    const qint64 staged = m_bulk->staged();
    if (m_bulk->merge() != 0)
        return failed(QStringLiteral("Cannot ADD to Songlore!"));
    if (st.commit() != 0)
        return failed(QStringLiteral("Cannot ADD to Songlore!"));
    m_songsAdded += staged;
    m_categoriesAdded += m_batchCategories;
    m_mediaAdded += m_batchMedia;
    m_stagedSongId = 0;
    m_missingCategories.clear();
    m_missingMedia.clear();
    m_categoryCache.clear();
    m_mediaCache.clear();
    return std::nullopt;
}

void ImportRun::cancel()
{
    if (m_state != State::Running)
        return;
    if (m_bulk) {
        // What was read before Cancel is kept, as a run of small steps keeps its steps.
        const BufferGuard songBuffer(Songlore);
        const BufferGuard categoryBuffer(Categories);
        const BufferGuard mediaBuffer(Media);
        if (std::optional<Failure> failure = mergeStaged()) {
            m_batchFirstLine = m_firstStagedLine;
            show(failure->caption, failure->text + QStringLiteral("\n\n") + keptText());
            finish(State::Failed);
            return;
        }
    }
    finish(State::Cancelled);
}

// Adding a song writes to eleven indexes. The pages they touch outgrow SQLite's default 2 MB
// cache, and each add's statement journal outgrows its in-memory limit and goes to a temporary
// file; both made an import of 100,000 lines five times slower than the sqlite3 shell's. The
// previous settings come back when the run ends.
void ImportRun::tuneConnection()
{
    sqlite3 *db = store::Store::instance().db();
    if (!db || m_tuned)
        return;
    m_cachePragma = QStringLiteral("PRAGMA \"%1\".cache_size").arg(Songlore.label()).toUtf8();
    m_savedCacheSize = pragmaValue(db, m_cachePragma);
    m_savedTempStore = pragmaValue(db, "PRAGMA temp_store");
    sqlite3_exec(db, (m_cachePragma + "=-65536").constData(), nullptr, nullptr, nullptr);
    // Changing temp_store drops temporary tables; the store keeps none.
    if (m_savedTempStore != 2)
        sqlite3_exec(db, "PRAGMA temp_store=MEMORY", nullptr, nullptr, nullptr);
    m_tuned = true;
}

void ImportRun::restoreConnection()
{
    sqlite3 *db = store::Store::alive() ? store::Store::instance().db() : nullptr;
    if (!db || !m_tuned)
        return;
    m_tuned = false;
    sqlite3_exec(db, (m_cachePragma + '=' + QByteArray::number(m_savedCacheSize)).constData(),
                 nullptr, nullptr, nullptr);
    if (m_savedTempStore != 2)
        sqlite3_exec(db, ("PRAGMA temp_store=" + QByteArray::number(m_savedTempStore)).constData(),
                     nullptr, nullptr, nullptr);
}

void ImportRun::finish(State state)
{
    m_state = state;
    if (m_bulk)
        m_bulk->finish();
    restoreConnection();
    m_file.close();
    m_songIds.reset();
    m_categoryIds.reset();
    m_uses.clear();
    if (m_showsReport && state != State::Failed && !m_report.isEmpty())
        show(QStringLiteral("Import Problems"), m_report.text(), MessageRequest::Information);
}

} // namespace melodex
