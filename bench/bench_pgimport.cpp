// Importing generated songs into a catalogue on a PostgreSQL server through the store's bulk
// writer, beside the server's own COPY of the same rows (sort keys included, computed before the
// clock starts) into the same indexed table.
//
//   bench_pgimport [SONGS]        default 1,000,000
//
// The server is $MELODEX_PG_URI when set (the catalogue goes into schemas bench_import and
// bench_copy there, made anew), else a throwaway server started for the run
// (scripts/pg-throwaway.sh) on a Unix socket.
#include "songgenerator.h"

#include "data/records.h"
#include "platform/pgstore/pgcatalog.h"
#include "platform/pgstore/pgfile.h"
#include "platform/pgstore/serverengine.h"
#include "platform/store/bulkwriter.h"
#include "platform/store/collation.h"
#include "platform/store/engine.h"
#include "platform/store/errors.h"
#include "platform/store/store.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QtEndian>

#include <sys/resource.h>

#include <cstdio>

using namespace melodex;

namespace {

double cpuSeconds()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

QString why()
{
    const store::ErrorState &e = store::lastError();
    return QStringLiteral("%1 %2 %3").arg(e.code).arg(e.text, e.driverText);
}

template <typename T> void put(QByteArray &out, T value)
{
    const T big = qToBigEndian(value);
    out.append(reinterpret_cast<const char *>(&big), sizeof big);
}

void putBytes(QByteArray &out, const QByteArray &bytes)
{
    put<qint32>(out, qint32(bytes.size()));
    out.append(bytes);
}

// The rows of songs 0 .. count-1 in COPY's binary form: every field, then the sort keys.
QByteArray copyRows(qint64 count, const pgstore::File &table)
{
    const store::FileLayout &l = SongloreRecord::fileLayout();
    QByteArray out("PGCOPY\n\377\r\n", 11);
    put<qint32>(out, 0);
    put<qint32>(out, 0);
    qint16 columns = qint16(l.fields.size());
    for (size_t i = 0; i < l.fields.size(); ++i)
        if (table.hasSortColumn(int(i)))
            ++columns;
    for (qint64 n = 0; n < count; ++n) {
        bench::makeSong(n);
        put<qint16>(out, columns);
        for (size_t i = 0; i < l.fields.size(); ++i) {
            if (l.fields[i].isText()) {
                putBytes(out, Songlore.storedValue(int(i)).toString().toUtf8());
            } else {
                put<qint32>(out, 8);
                put<qint64>(out, Songlore.storedValue(int(i)).toLongLong());
            }
        }
        for (size_t i = 0; i < l.fields.size(); ++i)
            if (table.hasSortColumn(int(i)))
                putBytes(out, store::keySortBytes(Songlore.storedValue(int(i)).toString()));
    }
    put<qint16>(out, -1);
    return out;
}

int dropSchema(pgstore::Catalog &admin, const char *schema)
{
    return admin.execText(QStringLiteral("DROP SCHEMA IF EXISTS %1 CASCADE").arg(schema));
}

} // namespace

int main(int argc, char **argv)
{
    const qint64 count = argc > 1 ? QByteArray(argv[1]).toLongLong() : 1000000;
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
        serverDir = std::make_unique<QTemporaryDir>(QStringLiteral("/tmp/mdxpgb-XXXXXX"));
        base = throwaway("start");
        if (base.isEmpty())
            return 1;
    }
    const auto uri = [&base](const char *schema) {
        return base + (base.contains(u'?') ? u'&' : u'?') + QStringLiteral("melodex_schema=") +
               QString::fromLatin1(schema);
    };
    int status = 0;
    {
        pgstore::Catalog admin;
        if (admin.open(uri("bench_admin")) != 0 || dropSchema(admin, "bench_import") != 0 ||
            dropSchema(admin, "bench_copy") != 0) {
            std::fprintf(stderr, "%s\n", qPrintable(why()));
            return 1;
        }
        std::printf("PostgreSQL %d, %lld songs, %d cores\n", admin.serverVersion(),
                    static_cast<long long>(count), QThread::idealThreadCount());

        // The server's own COPY of the rows into the songs table with its eleven keys.
        pgstore::Catalog plain;
        SongloreRecord song;
        pgstore::File table(plain, song);
        if (plain.open(uri("bench_copy")) != 0 || table.create() != 0) {
            std::fprintf(stderr, "%s\n", qPrintable(why()));
            return 1;
        }
        const QByteArray rows = copyRows(count, table);
        QElapsedTimer clock;
        clock.start();
        if (plain.copyIn(QStringLiteral("COPY %1(%2) FROM STDIN (FORMAT binary)")
                             .arg(table.tableName(),
                                  [&] {
                                      QStringList cols;
                                      const auto &fields = song.layout().fields;
                                      for (size_t i = 0; i < fields.size(); ++i)
                                          cols << table.columnName(int(i));
                                      for (size_t i = 0; i < fields.size(); ++i)
                                          if (table.hasSortColumn(int(i)))
                                              cols << table.sortColumnName(int(i));
                                      return cols.join(u',');
                                  }()),
                         rows) != 0) {
            std::fprintf(stderr, "%s\n", qPrintable(why()));
            return 1;
        }
        const double copySeconds = double(clock.nsecsElapsed()) / 1e9;
        std::printf("server COPY into the indexed table: %.1f s wall (%.0f rows/s), %.0f MB sent\n",
                    copySeconds, double(count) / copySeconds, double(rows.size()) / 1e6);

        // The store's bulk writer, as an import drives it: steps of 1,000 songs staged, then one
        // merge numbered on from the highest number, in one transaction.
        auto engine = pgstore::ServerEngine::connect(uri("bench_import"));
        if (!engine) {
            std::fprintf(stderr, "%s\n", qPrintable(why()));
            return 1;
        }
        store::useEngine(engine);
        {
            store::FileUse use(Songlore);
            store::BulkWriter writer(Songlore);
            if (!use.ok() || writer.start() != 0) {
                std::fprintf(stderr, "%s\n", qPrintable(why()));
                return 1;
            }
            const double cpu0 = cpuSeconds();
            clock.restart();
            for (qint64 n = 0; n < count && status == 0;) {
                writer.beginStep();
                for (const qint64 end = std::min(count, n + 1000); n < end && status == 0; ++n) {
                    bench::makeSong(n);
                    status = writer.stage();
                }
                if (status == 0)
                    status = writer.endStep(true);
            }
            const double stageSeconds = double(clock.nsecsElapsed()) / 1e9;
            const double stageCpu = cpuSeconds() - cpu0;
            store::Store &st = store::Store::instance();
            QElapsedTimer merging;
            merging.start();
            if (status == 0)
                status = st.logout({&Songlore});
            if (status == 0) {
                writer.setExpression(song.layout().fieldIndex(QStringLiteral("ID")),
                                     QStringLiteral("0+s.\"ID\""));
                status = writer.merge();
            }
            if (status == 0)
                status = st.commit();
            else
                st.rollback();
            const double mergeSeconds = double(merging.nsecsElapsed()) / 1e9;
            const double total = double(clock.nsecsElapsed()) / 1e9;
            if (status != 0) {
                std::fprintf(stderr, "%s\n", qPrintable(why()));
            } else {
                std::printf("bulk writer: staged %.1f s wall (%.1f s program CPU), merged %.1f s; "
                            "total %.1f s (%.0f rows/s), %.2fx the server's COPY; %lld records\n",
                            stageSeconds, stageCpu, mergeSeconds, total, double(count) / total,
                            total / copySeconds, static_cast<long long>(Songlore.records()));
            }
            writer.finish();
        }
        store::useEngine(nullptr);
        dropSchema(admin, "bench_import");
        dropSchema(admin, "bench_copy");
    }
    if (serverDir)
        throwaway("stop");
    return status == 0 ? 0 : 1;
}
