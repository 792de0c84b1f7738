// Eight stations adding and browsing at once on one catalogue on a PostgreSQL server: each one a
// process of its own with its own connection, for a minute. Prints each station's adds and pages,
// the errors (there should be none), the throughput and the page times (median, 99th percentile).
//
//   bench_pgstations [STATIONS [SECONDS [SONGS]]]     default 8 stations, 60 s, 100,000 songs
//
// A page is what the store gives today on a server: positioned at a generated artist by the
// songs-by-artist key, then 25 records read on. An add is one new song (autocommit: its kept
// count changes in the same statement). The server is $MELODEX_PG_URI when set (schema
// bench_stations there, made anew), else a throwaway server started for the run.
#include "songgenerator.h"

#include "data/records.h"
#include "platform/pgstore/pgcatalog.h"
#include "platform/pgstore/serverengine.h"
#include "platform/store/bulkwriter.h"
#include "platform/store/engine.h"
#include "platform/store/errors.h"
#include "platform/store/store.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>

#include <libpq-fe.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <random>
#include <vector>

using namespace melodex;

namespace {

QString why()
{
    const store::ErrorState &e = store::lastError();
    return QStringLiteral("%1 %2 %3").arg(e.code).arg(e.text, e.driverText);
}

QString withSchema(const QString &base)
{
    return base + (base.contains(u'?') ? u'&' : u'?') +
           QStringLiteral("melodex_schema=bench_stations");
}

// One station: adds and browses until the time is up, then prints
// "adds pages errors" and its page times in microseconds on one line each.
int station(const QString &uri, int number, int seconds, qint64 songs)
{
    auto engine = pgstore::ServerEngine::connect(uri);
    if (!engine) {
        std::fprintf(stderr, "station %d: %s\n", number, qPrintable(why()));
        return 1;
    }
    store::useEngine(engine);
    store::FileUse use(Songlore);
    if (!use.ok()) {
        std::fprintf(stderr, "station %d: %s\n", number, qPrintable(why()));
        return 1;
    }
    std::mt19937_64 random(quint64(number) * 7919);
    std::vector<qint64> pageMicros;
    qint64 adds = 0, errors = 0;
    QElapsedTimer clock, page;
    clock.start();
    for (qint64 i = 0; clock.elapsed() < qint64(seconds) * 1000; ++i) {
        // A new song numbered in the station's own range.
        bench::makeSong(qint64(random() % quint64(songs)));
        MUS.ID = qint32(100000000 + number * 1000000 + i);
        const int added = Songlore.add();
        if (added == 0)
            ++adds;
        else {
            ++errors;
            std::fprintf(stderr, "station %d: add: %s\n", number, qPrintable(why()));
        }
        // A page of the songs by artist from a generated artist on.
        bench::makeSong(qint64(random() % quint64(songs)));
        page.start();
        int rc = Songlore.setFromBuffer(SongloreRecord::SongsByArtist);
        for (int r = 0; r < 25 && rc == 0; ++r)
            rc = Songlore.next();
        if (rc != 0 && rc != store::NoRecErr) {
            ++errors;
            std::fprintf(stderr, "station %d: page: %s\n", number, qPrintable(why()));
            continue;
        }
        pageMicros.push_back(page.nsecsElapsed() / 1000);
    }
    std::printf("%lld %lld %lld\n", static_cast<long long>(adds),
                static_cast<long long>(pageMicros.size()), static_cast<long long>(errors));
    for (qint64 us : pageMicros)
        std::printf("%lld ", static_cast<long long>(us));
    std::printf("\n");
    store::useEngine(nullptr);
    return 0;
}

// Fills the catalogue with `songs` generated songs through the bulk writer.
int fill(const QString &uri, qint64 songs)
{
    auto engine = pgstore::ServerEngine::connect(uri);
    if (!engine)
        return 1;
    store::useEngine(engine);
    int status = 0;
    {
        store::FileUse use(Songlore);
        store::BulkWriter writer(Songlore);
        status = use.ok() ? writer.start() : 1;
        for (qint64 n = 0; n < songs && status == 0; ++n) {
            bench::makeSong(n);
            status = writer.stage();
        }
        store::Store &st = store::Store::instance();
        if (status == 0)
            status = st.logout({&Songlore});
        if (status == 0)
            status = writer.merge();
        status = status == 0 ? st.commit() : (st.rollback(), status);
        if (status == 0)
            status = Songlore.pack();
    }
    if (status != 0)
        std::fprintf(stderr, "%s\n", qPrintable(why()));
    store::useEngine(nullptr);
    return status;
}

qint64 percentile(const std::vector<qint64> &sorted, double p)
{
    if (sorted.empty())
        return 0;
    return sorted[std::min(sorted.size() - 1, size_t(p * double(sorted.size())))];
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 6 && args[1] == QStringLiteral("--station"))
        return station(args[2], args[3].toInt(), args[4].toInt(), args[5].toLongLong());

    const int stations = args.size() > 1 ? args[1].toInt() : 8;
    const int seconds = args.size() > 2 ? args[2].toInt() : 60;
    const qint64 songs = args.size() > 3 ? args[3].toLongLong() : 100000;
    QString base = qEnvironmentVariable("MELODEX_PG_URI");
    std::unique_ptr<QTemporaryDir> serverDir;
    const auto throwaway = [&serverDir](const char *command) {
        QProcess p;
        p.start(QStringLiteral(PG_THROWAWAY), {QString::fromLatin1(command), serverDir->path()});
        p.waitForFinished(120000);
        std::fputs(p.readAllStandardError().constData(), stderr);
        return QString::fromLocal8Bit(p.readAllStandardOutput()).trimmed();
    };
    if (base.isEmpty()) {
        serverDir = std::make_unique<QTemporaryDir>(QStringLiteral("/tmp/mdxpgs-XXXXXX"));
        base = throwaway("start");
        if (base.isEmpty())
            return 1;
    }
    const QString uri = withSchema(base);
    int status = 0;
    {
        pgstore::Catalog admin;
        if (admin.open(uri) != 0 ||
            admin.execText(QStringLiteral("DROP SCHEMA IF EXISTS %1 CASCADE; CREATE SCHEMA %1")
                               .arg(admin.quotedSchema())) != 0) {
            std::fprintf(stderr, "%s\n", qPrintable(why()));
            return 1;
        }
        std::fprintf(stderr, "adding %lld songs ...\n", static_cast<long long>(songs));
        if (fill(uri, songs) != 0)
            return 1;
        std::printf("PostgreSQL %d, %lld songs, %d stations for %d s\n", admin.serverVersion(),
                    static_cast<long long>(songs), stations, seconds);

        std::vector<std::unique_ptr<QProcess>> running;
        for (int s = 0; s < stations; ++s) {
            auto p = std::make_unique<QProcess>();
            p->start(QCoreApplication::applicationFilePath(),
                     {QStringLiteral("--station"), uri, QString::number(s),
                      QString::number(seconds), QString::number(songs)});
            running.push_back(std::move(p));
        }
        std::vector<qint64> pages;
        qint64 adds = 0, errors = 0;
        for (int s = 0; s < stations; ++s) {
            QProcess &p = *running[size_t(s)];
            p.waitForFinished(qint64(seconds + 120) * 1000);
            const QList<QByteArray> lines = p.readAllStandardOutput().split('\n');
            const QByteArray problems = p.readAllStandardError();
            if (p.exitCode() != 0 || lines.size() < 2) {
                std::printf("station %d failed: %s\n", s, problems.constData());
                status = 1;
                continue;
            }
            const QList<QByteArray> counts = lines[0].split(' ');
            const qint64 a = counts.value(0).toLongLong(), n = counts.value(1).toLongLong(),
                         e = counts.value(2).toLongLong();
            std::vector<qint64> own;
            for (const QByteArray &t : lines[1].split(' '))
                if (!t.isEmpty())
                    own.push_back(t.toLongLong());
            std::sort(own.begin(), own.end());
            std::printf("station %d: %lld adds, %lld pages, %lld errors; page median %lld us, "
                        "99th %lld us\n",
                        s, static_cast<long long>(a), static_cast<long long>(n),
                        static_cast<long long>(e), static_cast<long long>(percentile(own, 0.5)),
                        static_cast<long long>(percentile(own, 0.99)));
            if (!problems.isEmpty())
                std::printf("%s", problems.constData());
            adds += a;
            errors += e;
            pages.insert(pages.end(), own.begin(), own.end());
        }
        std::sort(pages.begin(), pages.end());
        std::printf("all: %.0f adds/s, %.0f pages/s, %lld errors; page median %.2f ms, 99th "
                    "percentile %.2f ms, slowest %.2f ms; %lld records kept\n",
                    double(adds) / seconds, double(pages.size()) / seconds,
                    static_cast<long long>(errors), double(percentile(pages, 0.5)) / 1000,
                    double(percentile(pages, 0.99)) / 1000,
                    pages.empty() ? 0.0 : double(pages.back()) / 1000, static_cast<long long>([&] {
                        pgstore::Result r;
                        admin.execText(QStringLiteral("SELECT records FROM %1.files WHERE name = "
                                                      "'sgldata'")
                                           .arg(admin.quotedSchema()),
                                       &r);
                        return r ? QByteArray(PQgetvalue(r.get(), 0, 0)).toLongLong() : -1;
                    }()));
        admin.execText(QStringLiteral("DROP SCHEMA %1 CASCADE").arg(admin.quotedSchema()));
    }
    if (serverDir)
        throwaway("stop");
    return status;
}
