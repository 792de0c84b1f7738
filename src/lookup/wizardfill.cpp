// The wizard's scratch tracks rewritten from a release, in one transaction.
#include "lookup/wizardfill.h"

#include "data/records.h"
#include "platform/store/errors.h"
#include "platform/store/store.h"

#include <QHash>

#include <map>

namespace melodex::lookup {

namespace {

QHash<qint64, std::vector<ExternalId>> &pending()
{
    static QHash<qint64, std::vector<ExternalId>> ids;
    return ids;
}

int fieldSize(const char *name)
{
    const store::FileLayout &l = AddWizardRecord::fileLayout();
    return l.fields[size_t(l.fieldIndex(QLatin1String(name)))].size;
}

} // namespace

QStringList chooserColumns()
{
    return {QStringLiteral("Title"),   QStringLiteral("Artist"), QStringLiteral("Date"),
            QStringLiteral("Country"), QStringLiteral("Label"),  QStringLiteral("Barcode"),
            QStringLiteral("Format"),  QStringLiteral("Disc")};
}

QStringList chooserRow(const Release &r, const QString &discId)
{
    QString disc;
    if (const Medium *m = discId.isEmpty() ? nullptr : r.mediumWithDisc(discId))
        disc = mediumCaption(r, *m);
    else if (r.media.size() > 1)
        disc = QStringLiteral("%1 media").arg(r.media.size());
    return {r.title, r.artist, r.date, r.country, r.labelText(), r.barcode, r.formatText(), disc};
}

WizardFillResult fillWizardTracks(qint64 instance, const AlbumDraft &draft, ExistingSongs existing)
{
    WizardFillResult out;
    const store::FileUse use(AddWizard);
    auto fail = [&out](int rc, const QString &what) {
        const store::ErrorState e = store::lastError();
        out.rc = e.code ? e.code : rc;
        out.message = what + store::errorText(out.rc);
        out.replaced = out.added = 0;
        return out;
    };
    if (!use.ok())
        return fail(use.result() ? use.result() : store::NotOpenErr,
                    QStringLiteral("The wizard's tracks cannot be opened: "));

    std::map<std::pair<QString, qint64>, store::Position> have;
    AW.clear();
    AW.Instance = instance;
    AddWizard.setFromBuffer(AddWizardRecord::KeyInstance);
    for (;;) {
        const int rc = AddWizard.next();
        if (rc == store::NoRecErr || (rc == 0 && AW.Instance != instance))
            break;
        if (rc != 0)
            return fail(rc, QStringLiteral("The wizard's tracks cannot be read: "));
        have.emplace(std::make_pair(AW.Side.trimmed().toUpper(), AW.Track), AddWizard.position());
    }

    store::Store &st = store::Store::instance();
    if (const int rc = st.logout({&AddWizard}); rc != 0)
        return fail(rc, QStringLiteral("The wizard's tracks cannot be written: "));
    const int titleSize = fieldSize("Title"), artistSize = fieldSize("Artist");
    for (const DraftSong &s : draft.songs) {
        const auto at = have.find({s.side.toUpper(), qint64(s.track)});
        if (at != have.end()) {
            if (existing != ExistingSongs::ReplaceTitles)
                continue;
            int rc = AddWizard.reget(at->second);
            if (rc == 0) {
                AW.Title = cutToField(s.title, titleSize);
                AW.Artist = cutToField(s.artist, artistSize);
                if (s.time != 0)
                    AW.Time = s.time;
                rc = AddWizard.put();
            }
            if (rc != 0) {
                st.rollback();
                return fail(rc, QStringLiteral("A track of the wizard cannot be changed: "));
            }
            ++out.replaced;
            continue;
        }
        if (existing == ExistingSongs::Keep && !have.empty())
            continue;
        AW.clear();
        AW.Instance = instance;
        AW.Side = s.side;
        AW.Track = s.track;
        AW.Title = cutToField(s.title, titleSize);
        AW.Artist = cutToField(s.artist, artistSize);
        AW.Time = s.time;
        if (const int rc = AddWizard.add(); rc != 0) {
            st.rollback();
            return fail(rc, QStringLiteral("A track cannot be added to the wizard: "));
        }
        ++out.added;
    }
    if (const int rc = st.commit(); rc != 0) {
        st.rollback();
        return fail(rc, QStringLiteral("The wizard's tracks cannot be written: "));
    }
    return out;
}

void setPendingExternalIds(qint64 instance, const std::vector<ExternalId> &ids)
{
    pending().insert(instance, ids);
}

std::vector<ExternalId> takePendingExternalIds(qint64 instance)
{
    return pending().take(instance);
}

} // namespace melodex::lookup
