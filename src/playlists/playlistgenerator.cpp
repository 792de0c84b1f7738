// Random playlist generation: the new header, the draw loop and its bias, in one transaction.
#include "playlists/playlistgenerator.h"

#include "data/lostfile.h"
#include "data/records.h"
#include "data/standardwarning.h"
#include "platform/picture/calendar.h"
#include "platform/store/errors.h"
#include "platform/store/store.h"
#include "services/messageservice.h"

#include <algorithm>
#include <limits>

namespace melodex {

namespace {

// Release dates below this are bare years.
constexpr qint32 FirstDayNumberDate = 3000;
constexpr qint32 RecentDays = 90;

QString description(qint32 id)
{
    return QStringLiteral("Play List #") + QString::number(id);
}

void showError(const QString &text)
{
    MessageService::instance().show({QStringLiteral("Error"), text, MessageRequest::Error,
                                     MessageRequest::Ok, MessageRequest::Ok});
}

} // namespace

QStringList PlaylistGenerator::weightingNames()
{
    return {QStringLiteral("No Weighting"), QStringLiteral("Recent Addition"),
            QStringLiteral("Recent Release"), QStringLiteral("Older Addition"),
            QStringLiteral("Older Release")};
}

PlaylistGenerator::PlaylistGenerator(QRandomGenerator &random, qint32 today)
    : m_random(random), m_today(today)
{
    const QDate d = picture::dateFromDayNumber(today);
    m_year = d.isValid() ? d.year() : 0;
}

qint64 PlaylistGenerator::draw(qint64 low, qint64 high)
{
    // A range whose upper bound fell below its lower one (the older half of a one-song file)
    // collapses onto its lower bound, which is inside the file.
    if (high <= low)
        return low;
    return m_random.bounded(low, high + 1);
}

bool PlaylistGenerator::coin()
{
    return m_random.bounded(1, 3) == 1;
}

bool PlaylistGenerator::releasePasses(Weighting weighting, qint32 releaseDate, bool applies) const
{
    if (!applies || releaseDate == 0)
        return true;
    const bool isDate = releaseDate >= FirstDayNumberDate;
    const bool recent = isDate ? releaseDate >= m_today - RecentDays : releaseDate >= m_year;
    if (weighting == Weighting::RecentRelease)
        return recent;
    if (weighting == Weighting::OlderRelease)
        return !recent;
    return true;
}

qint32 PlaylistGenerator::newPlaylistId()
{
    qint32 id = 1;
    PlaylistMaster.set(PlaylistMasterRecord::KeyPlaylistID);
    if (PlaylistMaster.previous() == 0)
        id = PLD.PlaylistID + 1;
    id = qint32(std::max<qint64>(id, highestReferenceTo(PlaylistMaster) + 1));
    // Both the number and its description must be free.
    for (;;) {
        PLD.clear();
        PLD.PlaylistID = id;
        PLD.PlaylistDescription = description(id);
        if (!PlaylistMaster.duplicate(PlaylistMasterRecord::KeyPlaylistID) &&
            !PlaylistMaster.duplicate(PlaylistMasterRecord::KeyPlaylistDescription))
            return id;
        ++id;
    }
}

PlaylistGenerator::Result PlaylistGenerator::failed(Result result, const QString &file)
{
    const store::ErrorState error = store::lastError();
    store::Store::instance().rollback();
    QString text = error.code == store::FileSystemErr ? error.driverText : error.text;
    while (text.endsWith(u' '))
        text.chop(1);
    showError(QStringLiteral("There was an error (") + QString::number(error.code) +
              QStringLiteral(" - ") + text + QStringLiteral(") adding to the ") + file +
              QStringLiteral(" file"));
    result.outcome = Outcome::Failed;
    result.playlistId = 0;
    result.added = 0;
    return result;
}

PlaylistGenerator::Result PlaylistGenerator::generate(const Settings &settings)
{
    Result result;
    if (Songlore.records() == 0) {
        showError(QStringLiteral("There are no songs to select from"));
        result.outcome = Outcome::NoSongs;
        return result;
    }
    qint64 categoryId = 0;
    const bool byCategory = !settings.category.trimmed().isEmpty();
    if (byCategory) {
        CAT.clear();
        CAT.Category = settings.category;
        if (Categories.get(CategoriesRecord::KeyCategory) != 0) {
            result.outcome = Outcome::NoCategory;
            return result;
        }
        categoryId = CAT.CategoryID;
    }

    // Positions count the songs in the order they were added: the span of record identities,
    // deleted songs included, read from both ends of the record order.
    qint64 first = 0, last = 0;
    Songlore.set(-1);
    if (Songlore.next() == 0)
        first = Songlore.position().id;
    Songlore.set(-1);
    if (Songlore.previous() == 0)
        last = Songlore.position().id;
    const qint64 span = last >= first && first > 0 ? last - first + 1 : 0;
    const quint32 fingerprint = SongloreRecord::fileLayout().fingerprint();

    store::Store &st = store::Store::instance();
    if (st.logout({&PlaylistMaster, &PlaylistDetails}) != 0)
        return failed(result, QStringLiteral("Play List Master"));
    result.playlistId = newPlaylistId();
    PLD.Notes.clear();
    PLD.LastEditDate = m_today;
    if (PlaylistMaster.add() != 0)
        return failed(result, QStringLiteral("Play List Master"));

    const int size = std::clamp(settings.size, 0, MaxSize);
    const Weighting w = settings.weighting;
    while (result.added < size && result.draws < MaxDraws && span > 0) {
        qint64 r = draw(1, span);
        if (w == Weighting::RecentAddition && coin())
            r = draw(span / 2, span);
        else if (w == Weighting::OlderAddition && coin())
            r = draw(1, span / 2);
        r = std::max<qint64>(r, 1);
        const int rc = Songlore.get(store::Position{fingerprint, first + r - 1, 0});
        if (rc == store::RecordNotFoundErr && result.redraws < MaxRedraws) {
            ++result.redraws;
            continue;
        }
        ++result.draws;
        if (rc == store::RecordNotFoundErr)
            continue;
        if (rc != 0) {
            st.rollback();
            StandardWarning(StandardMessage::RecordRetrievalError, QStringLiteral("Songlore"));
            result.outcome = Outcome::Failed;
            result.playlistId = result.added = 0;
            return result;
        }
        if (settings.startDate != 0 && MUS.ReleaseDate < settings.startDate)
            continue;
        if (settings.endDate != 0 && MUS.ReleaseDate > settings.endDate)
            continue;
        if (byCategory && MUS.CategoryID != categoryId)
            continue;
        if ((w == Weighting::RecentRelease || w == Weighting::OlderRelease) &&
            !releasePasses(w, MUS.ReleaseDate, coin()))
            continue;
        const qint32 song = MUS.ID;
        ++result.added;
        PLA.clear();
        PLA.PlaylistID = result.playlistId;
        PLA.PlaylistSeq = result.added;
        PLA.ID = song;
        if (PlaylistDetails.add() != 0)
            return failed(result, QStringLiteral("Play List Details"));
    }
    if (st.commit() != 0)
        return failed(result, QStringLiteral("Play List Master"));
    result.outcome = Outcome::Created;
    return result;
}

} // namespace melodex
