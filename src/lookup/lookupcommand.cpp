// The lookup command: reads its arguments, asks the service through the one client, prints the
// answer as lines or JSON and, when asked, adds the release as an album.
#include "lookup/lookupcommand.h"

#include "app/globals.h"
#include "data/fileopen.h"
#include "lookup/coverart.h"
#include "lookup/draftwriter.h"
#include "lookup/lookupclient.h"
#include "lookup/releasemapping.h"
#include "lookup/releasexml.h"
#include "platform/cd/mediacontrol.h"
#include "platform/cd/musicbrainzdiscid.h"
#include "platform/profile/profile.h"
#include "platform/store/store.h"
#include "services/messageservice.h"
#include "wizard/cddevicesetting.h"
#include "wizard/cdreader.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstdio>
#include <memory>

namespace melodex::lookup {

namespace {

void print(FILE *to, const QString &text)
{
    std::fputs(text.toUtf8().constData(), to);
    std::fputc('\n', to);
    std::fflush(to);
}

using Options = LookupCommandOptions;

// Refuses options that do not go together; empty when they do.
QString refusal(const Options &o)
{
    QString text;
    QString *error = &text;
    const bool search = !o.artist.isEmpty() || !o.album.isEmpty() || !o.barcode.isEmpty();
    const int disc = int(!o.device.isEmpty()) + int(!o.discId.isEmpty());
    if (disc > 1)
        *error = QStringLiteral("melodex: give either --cd-device or --discid");
    else if (disc == 1 && search)
        *error = QStringLiteral("melodex: a disc lookup takes no --artist, --album or --barcode");
    else if (!o.release.isEmpty() && search)
        *error = QStringLiteral("melodex: --release takes no --artist, --album or --barcode");
    else if (disc == 0 && o.release.isEmpty() && !search)
        *error = QStringLiteral(
            "melodex: lookup needs --cd-device, --discid, --release or --artist/--album");
    else if (!o.media.isEmpty() && !o.add)
        *error = QStringLiteral("melodex: --media goes with --add");
    else if (o.cover && !o.add)
        *error = QStringLiteral("melodex: --cover goes with --add");
    for (const QString *server : {&o.server, &o.coverServer}) {
        if (server->isEmpty() || !error->isEmpty())
            continue;
        const QUrl url(*server);
        if (!url.isValid() || url.host().isEmpty() ||
            (url.scheme() != u"http" && url.scheme() != u"https"))
            *error =
                QStringLiteral("melodex: %1 is not an http:// or https:// address").arg(*server);
    }
    return text;
}

// One request, waited for in a local event loop: the command line has no window to keep alive.
struct Fetched
{
    bool ok = false;
    bool notFound = false;
    QString error;
    QByteArray body;
    QString contentType;
};

Fetched fetch(LookupClient &client, const QUrl &url,
              LookupReply::Kind kind = LookupReply::Kind::Answer)
{
    Fetched f;
    LookupReply *reply = client.get(url, kind);
    QObject::connect(reply, &LookupReply::finished, reply, [&f, reply] {
        f.ok = reply->ok();
        f.notFound = reply->notFound();
        f.error = reply->error();
        f.body = reply->body();
        f.contentType = reply->contentType();
    });
    reply->waitForFinished();
    if (!f.ok && !f.notFound)
        if (const QString service = serviceErrorText(f.body); !service.isEmpty())
            f.error += QStringLiteral(" (") + service + u')';
    return f;
}

QJsonValue text(const QString &s)
{
    return s.isEmpty() ? QJsonValue(QJsonValue::Null) : QJsonValue(s);
}

QJsonArray releasesJson(const std::vector<Release> &releases)
{
    QJsonArray out;
    for (const Release &r : releases) {
        const LabelInfo label = r.labels.empty() ? LabelInfo{} : r.labels.front();
        QJsonArray media;
        for (const Medium &m : r.media)
            media.append(QJsonObject{{QStringLiteral("position"), m.position},
                                     {QStringLiteral("format"), text(m.format)},
                                     {QStringLiteral("title"), text(m.title)},
                                     {QStringLiteral("track_count"), m.trackCount}});
        out.append(QJsonObject{{QStringLiteral("id"), r.id},
                               {QStringLiteral("title"), r.title},
                               {QStringLiteral("artist"), text(r.artist)},
                               {QStringLiteral("date"), text(r.date)},
                               {QStringLiteral("country"), text(r.country)},
                               {QStringLiteral("barcode"), text(r.barcode)},
                               {QStringLiteral("label"), text(label.label)},
                               {QStringLiteral("catalog_number"), text(label.catalogNumber)},
                               {QStringLiteral("media"), media}});
    }
    return out;
}

QJsonObject releaseJson(const Release &r)
{
    QJsonArray media;
    for (const Medium &m : r.media) {
        QJsonArray tracks;
        for (const Track &t : m.tracks)
            tracks.append(QJsonObject{
                {QStringLiteral("position"), t.position},
                {QStringLiteral("title"), t.title},
                {QStringLiteral("artist"), text(t.artist.isEmpty() ? r.artist : t.artist)},
                {QStringLiteral("length_ms"),
                 t.lengthMs < 0 ? QJsonValue(QJsonValue::Null) : QJsonValue(t.lengthMs)}});
        media.append(QJsonObject{{QStringLiteral("position"), m.position},
                                 {QStringLiteral("format"), text(m.format)},
                                 {QStringLiteral("title"), text(m.title)},
                                 {QStringLiteral("tracks"), tracks}});
    }
    return QJsonObject{{QStringLiteral("id"), r.id},
                       {QStringLiteral("title"), r.title},
                       {QStringLiteral("artist"), text(r.artist)},
                       {QStringLiteral("date"), text(r.date)},
                       {QStringLiteral("media"), media}};
}

void printJson(const QJsonDocument &doc)
{
    std::fputs(doc.toJson(QJsonDocument::Indented).constData(), stdout);
    std::fflush(stdout);
}

QString lengthText(qint64 ms)
{
    if (ms < 0)
        return QStringLiteral("    ");
    const qint64 s = (ms + 500) / 1000;
    return QStringLiteral("%1:%2").arg(s / 60).arg(s % 60, 2, 10, QLatin1Char('0'));
}

void printReleases(const std::vector<Release> &releases)
{
    int n = 0;
    for (const Release &r : releases) {
        QStringList facts;
        for (const QString &f : {r.date, r.country, r.labelText(), r.formatText()})
            if (!f.isEmpty())
                facts << f;
        if (!r.barcode.isEmpty())
            facts << QStringLiteral("barcode ") + r.barcode;
        QString line = QStringLiteral("%1. %2").arg(++n).arg(r.title);
        if (!r.artist.isEmpty())
            line += QStringLiteral(" - ") + r.artist;
        if (!facts.isEmpty())
            line += QStringLiteral(" (") + facts.join(QStringLiteral(", ")) + u')';
        print(stdout, line);
        print(stdout, QStringLiteral("   %1").arg(r.id));
    }
}

void printRelease(const Release &r)
{
    print(stdout, QStringLiteral("Title:   %1").arg(r.title));
    print(stdout, QStringLiteral("Artist:  %1").arg(r.artist));
    if (!r.date.isEmpty())
        print(stdout, QStringLiteral("Date:    %1").arg(r.date));
    if (!r.labelText().isEmpty())
        print(stdout, QStringLiteral("Label:   %1").arg(r.labelText()));
    if (!r.barcode.isEmpty())
        print(stdout, QStringLiteral("Barcode: %1").arg(r.barcode));
    print(stdout, QStringLiteral("ID:      %1").arg(r.id));
    for (const Medium &m : r.media) {
        QString head = QStringLiteral("Medium %1").arg(m.position);
        if (!m.format.isEmpty())
            head += QStringLiteral(" (") + m.format + u')';
        if (!m.title.isEmpty())
            head += QStringLiteral(": ") + m.title;
        print(stdout, QString());
        print(stdout, head);
        for (const Track &t : m.tracks) {
            QString line = QStringLiteral("%1  %2  %3")
                               .arg(t.number.isEmpty() ? QString::number(t.position) : t.number, 4)
                               .arg(lengthText(t.lengthMs), 6)
                               .arg(t.title);
            if (!t.artist.isEmpty() && t.artist != r.artist)
                line += QStringLiteral(" - ") + t.artist;
            print(stdout, line);
        }
    }
}

// The session's state: the client and what the disc read found.
struct Run
{
    Options options;
    std::unique_ptr<LookupClient> client;
    CdReading reading;
    bool haveDisc = false;
};

int failWith(const QString &message)
{
    print(stderr, message);
    return 1;
}

std::optional<Release> fetchRelease(Run &run, const QString &mbid, int *code)
{
    const Fetched f = fetch(*run.client, run.client->releaseUrl(mbid));
    if (f.notFound) {
        *code = failWith(QStringLiteral("MusicBrainz has no release %1.").arg(mbid));
        return std::nullopt;
    }
    if (!f.ok) {
        *code = failWith(f.error);
        return std::nullopt;
    }
    Parsed<Release> parsed = parseReleaseAnswer(f.body);
    if (!parsed.ok()) {
        run.client->forget(run.client->releaseUrl(mbid));
        *code = failWith(QStringLiteral("MusicBrainz's answer cannot be used: ") + parsed.error);
        return std::nullopt;
    }
    return std::move(parsed.value);
}

int addRelease(Run &run, const Release &release, const QString &discId)
{
    MappingOptions mapping;
    mapping.discId = discId;
    mapping.media = run.options.media;
    if (run.haveDisc)
        for (const CdTrack &t : run.reading.tracks)
            mapping.discTimes.push_back(t.length);
    std::optional<AlbumDraft> draft = mapRelease(release, mapping);
    if (!draft)
        return failWith(QStringLiteral("The release %1 has no medium with the disc %2.")
                            .arg(release.id, discId));
    if (run.haveDisc)
        draft->cdIdentifier = run.reading.identifier;
    for (const QString &d : draft->lengthDifferences)
        print(stderr, d + QStringLiteral(" (the disc's length is kept)"));

    installFileOpener();
    const DraftWriteResult written = addDraftAsAlbum(*draft);
    if (!written.ok())
        return failWith(written.message);
    print(stderr, QStringLiteral("Album %1 added: %2 - %3, %4 songs.")
                      .arg(written.albumId)
                      .arg(draft->artist, draft->album)
                      .arg(written.songs));
    if (run.options.cover) {
        const Fetched cover =
            fetch(*run.client, run.client->coverUrl(release.id), LookupReply::Kind::Image);
        if (cover.notFound) {
            print(stderr, QStringLiteral("The Cover Art Archive has no front cover for this "
                                         "release; the album keeps no image."));
        } else if (!cover.ok) {
            print(stderr, QStringLiteral("The cover could not be fetched: ") + cover.error);
        } else {
            const CoverResult stored =
                storeCover(cover.body, store::Store::instance().dataDirectory(), release.id);
            if (!stored.ok())
                print(stderr, QStringLiteral("The cover was not kept: ") + stored.error);
            else if (const QString e = setAlbumImage(written.albumId, stored.path); !e.isEmpty())
                print(stderr, e);
            else
                print(stderr, QStringLiteral("Cover: %1").arg(stored.path));
        }
    }
    print(stdout, QString::number(written.albumId));
    return 0;
}

int lookUpDisc(Run &run)
{
    QString discId = run.options.discId;
    if (!run.options.device.isEmpty()) {
        setCdDeviceOverride(run.options.device);
        cd::MediaControl::setDefaultSource(cdDeviceSource());
        CdReader reader(cd::MediaControl::instance());
        if (!reader.read(false))
            return failWith(reader.message());
        run.reading = reader.reading();
        run.haveDisc = true;
        discId = run.reading.musicBrainzId;
        if (discId.isEmpty())
            return failWith(QStringLiteral("The disc gives no table of contents, so it has no "
                                           "MusicBrainz disc ID."));
        print(stderr, QStringLiteral("MusicBrainz disc ID: %1").arg(discId));
    }
    const Fetched f = fetch(*run.client, run.client->discUrl(discId));
    const QString page = QStringLiteral("https://musicbrainz.org/cdtoc/") + discId;
    if (f.notFound)
        return failWith(QStringLiteral("MusicBrainz knows no release with the disc %1. A disc "
                                       "can be added to MusicBrainz at %2")
                            .arg(discId, page));
    if (!f.ok)
        return failWith(f.error);
    const Parsed<DiscAnswer> parsed = parseDiscAnswer(f.body);
    if (!parsed.ok())
        run.client->forget(run.client->discUrl(discId));
    if (!parsed.ok())
        return failWith(QStringLiteral("MusicBrainz's answer cannot be used: ") + parsed.error);
    const std::vector<Release> &releases = parsed.value.releases;
    if (releases.empty())
        return failWith(QStringLiteral("MusicBrainz knows the disc %1 but no release with it. "
                                       "See %2")
                            .arg(discId, page));

    if (!run.options.add) {
        if (run.options.json)
            printJson(QJsonDocument(releasesJson(releases)));
        else
            printReleases(releases);
        return 0;
    }
    QString chosen = run.options.release;
    if (chosen.isEmpty()) {
        if (releases.size() > 1) {
            printReleases(releases);
            print(stderr, QStringLiteral("melodex: %1 releases contain this disc; choose one "
                                         "with --release MBID")
                              .arg(releases.size()));
            return 2;
        }
        chosen = releases.front().id;
    } else if (std::none_of(releases.begin(), releases.end(),
                            [&](const Release &r) { return r.id == chosen; })) {
        return failWith(
            QStringLiteral("The release %1 does not contain the disc %2.").arg(chosen, discId));
    }
    int code = 1;
    const std::optional<Release> release = fetchRelease(run, chosen, &code);
    if (!release)
        return code;
    if (run.options.json)
        printJson(QJsonDocument(releaseJson(*release)));
    return addRelease(run, *release, discId);
}

int lookUpRelease(Run &run)
{
    int code = 1;
    const std::optional<Release> release = fetchRelease(run, run.options.release, &code);
    if (!release)
        return code;
    if (run.options.json)
        printJson(QJsonDocument(releaseJson(*release)));
    else if (!run.options.add)
        printRelease(*release);
    return run.options.add ? addRelease(run, *release, {}) : 0;
}

int search(Run &run)
{
    const Options &o = run.options;
    const Fetched f =
        fetch(*run.client, run.client->searchUrl(o.artist, o.album, o.barcode, o.format));
    if (!f.ok)
        return failWith(f.error);
    const Parsed<SearchAnswer> parsed = parseSearchAnswer(f.body);
    if (!parsed.ok())
        run.client->forget(run.client->searchUrl(o.artist, o.album, o.barcode, o.format));
    if (!parsed.ok())
        return failWith(QStringLiteral("MusicBrainz's answer cannot be used: ") + parsed.error);
    const std::vector<Release> &releases = parsed.value.releases;
    if (releases.empty())
        return failWith(QStringLiteral("MusicBrainz found no release."));
    if (!o.add) {
        if (o.json)
            printJson(QJsonDocument(releasesJson(releases)));
        else
            printReleases(releases);
        return 0;
    }
    // Only a result that stands out is added without a person choosing.
    const bool clear =
        releases.size() == 1 || (releases[0].score == 100 && releases[1].score < 100);
    if (!clear) {
        printReleases(releases);
        print(stderr, QStringLiteral("melodex: %1 releases match; choose one with --release MBID")
                          .arg(releases.size()));
        return 2;
    }
    int code = 1;
    const std::optional<Release> release = fetchRelease(run, releases.front().id, &code);
    if (!release)
        return code;
    if (o.json)
        printJson(QJsonDocument(releaseJson(*release)));
    return addRelease(run, *release, {});
}

} // namespace

int runLookupCommand(const LookupCommandOptions &options)
{
    if (const QString error = refusal(options); !error.isEmpty()) {
        print(stderr, error);
        return 2;
    }

    // The network needs an event loop; main() calls the commands before any application exists.
    std::unique_ptr<QCoreApplication> app;
    static int argc = 1;
    static char name[] = "melodex";
    static char *argv[] = {name, nullptr};
    if (!QCoreApplication::instance())
        app = std::make_unique<QCoreApplication>(argc, argv);

    Run run;
    run.options = options;
    LookupSettings settings =
        LookupSettings::fromPreferences(store::Store::instance().dataDirectory());
    if (!options.server.isEmpty())
        settings.musicBrainzServer = QUrl(options.server);
    if (!options.coverServer.isEmpty())
        settings.coverArtServer = QUrl(options.coverServer);
    settings.refresh = options.refresh;
    run.client = std::make_unique<LookupClient>(settings);

    if (!options.device.isEmpty() || !options.discId.isEmpty())
        return lookUpDisc(run);
    if (!options.release.isEmpty())
        return lookUpRelease(run);
    return search(run);
}

bool automaticLookupAfterDiscRead()
{
    return Profile::readString(PreferencesIni, QStringLiteral("Settings"),
                               QStringLiteral("AutomaticLookup"))
               .trimmed() == QLatin1String("1");
}

int lookUpDiscRead()
{
    const QString device = cdDeviceSource();
    if (device.isEmpty()) {
        print(stderr, QStringLiteral("melodex: the disc is not looked up in MusicBrainz: name the "
                                     "drive with --cd-device"));
        return 0;
    }
    std::fputc('\n', stdout);
    LookupCommandOptions options;
    options.device = device;
    runLookupCommand(options);
    return 0;
}

} // namespace melodex::lookup
