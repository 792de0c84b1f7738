// A second process working on the same data files, driven by the store tests.
//
//   storechild DIR change ID TITLE   rewrite the title of song ID; exit code = put's result
//   storechild DIR hold SECONDS      hold Songlore and Categories in a transaction for a while
//   storechild DIR spill SECONDS     the same after adding songs enough to write changed pages
//                                    to the songs file before the commit (its journal is hot
//                                    if the process is killed then)
//   storechild DIR churn             add a category and a song of that category per transaction,
//                                    forever (the test kills it at random moments)
//   storechild DIR open LABEL        open one file (creating it when missing); exit code = result
//   storechild DIR create MS TITLE   open Songlore; when it is missing, say "missing", wait MS
//                                    milliseconds, then create it; add one song titled TITLE
//   storechild DIR lockmain SECONDS  hold the coordinating file locked for a while
//   storechild DIR import N BATCH TITLE
//                                    add N songs titled TITLE in batches of BATCH, each batch
//                                    numbering its songs after the highest number it reads
//   storechild DIR read              print the song count and the songs of a first page by number
//   storechild DIR add TITLE         add one song (outside a transaction); print the error
//   storechild DIR follow            print the song count and "ready", wait for a line on
//                                    standard input, then print the count again and add the songs
//                                    "own" (outside a transaction) and "batch" (inside one)
//   storechild DIR readwrite         begin a transaction that reads the media file, print "ready",
//                                    wait for a line, then add a song in it; exit code = result
//   storechild DIR bulk N MOMENT     add category 99 and N songs of it through a bulk writer that
//                                    builds the merged file beside the songs file, and die at
//                                    that moment of putting it in place (-1: never)
#include "data/records.h"
#include "platform/store/bulkwriter.h"
#include "platform/store/errors.h"
#include "platform/store/store.h"

#include <QCoreApplication>
#include <QThread>

#include <csignal>
#include <cstdio>
#include <sqlite3.h>

using namespace melodex;
using namespace melodex::store;

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 3)
        return 100;
    Store::instance().setDataDirectory(args[1]);
    const QString command = args[2];

    if (command == QLatin1String("open") && args.size() == 4) {
        KeyedFile *f = findFile(args[3]);
        if (!f)
            return 101;
        FileUse use(*f);
        std::printf("%d\n", use.result());
        return use.result();
    }

    if (command == QLatin1String("lockmain") && args.size() == 4) {
        sqlite3 *db = nullptr;
        const QByteArray path = Store::instance().pathOf(QStringLiteral("sglmain")).toUtf8();
        if (sqlite3_open(path.constData(), &db) != SQLITE_OK ||
            sqlite3_exec(db, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr) != SQLITE_OK)
            return 104;
        std::printf("locked\n");
        std::fflush(stdout);
        QThread::msleep(static_cast<unsigned long>(args[3].toDouble() * 1000));
        sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
        sqlite3_close(db);
        return 0;
    }
    if (command == QLatin1String("create") && args.size() == 5) {
        int rc = Songlore.open();
        if (rc == NoFileErr) {
            std::printf("missing\n");
            std::fflush(stdout);
            QThread::msleep(args[3].toULong());
            rc = Songlore.create();
            if (rc == 0)
                rc = Songlore.open();
        }
        if (rc != 0)
            return rc;
        MUS.clear();
        MUS.Title = args[4];
        return Songlore.add();
    }

    FileUse songs(Songlore), cats(Categories);
    if (!songs.ok() || !cats.ok())
        return 102;

    if (command == QLatin1String("read")) {
        const qint64 count = Songlore.records();
        if (const int rc = errorCode())
            return rc;
        int page = 0;
        Songlore.set(SongloreRecord::KeyID);
        while (page < 25 && Songlore.next() == 0)
            ++page;
        std::printf("%lld %d\n", count, page);
        return errorCode() == NoRecErr || errorCode() == NoError ? 0 : errorCode();
    }
    if (command == QLatin1String("add") && args.size() == 4) {
        MUS.clear();
        MUS.Title = args[3];
        const int rc = Songlore.add();
        std::printf("%s\n", qPrintable(lastError().text));
        return rc;
    }
    if (command == QLatin1String("follow")) {
        std::printf("%lld\nready\n", Songlore.records());
        std::fflush(stdout);
        char line[16];
        if (!std::fgets(line, sizeof line, stdin))
            return 105;
        Store::instance().beginRead();
        std::printf("%lld\n", Songlore.records());
        Store::instance().commit();
        MUS.clear();
        MUS.Title = QStringLiteral("own");
        if (const int rc = Songlore.add())
            return rc;
        if (const int rc = Store::instance().logout({&Songlore}))
            return rc;
        MUS.clear();
        MUS.Title = QStringLiteral("batch");
        if (const int rc = Songlore.add())
            return rc;
        return Store::instance().commit();
    }
    if (command == QLatin1String("readwrite")) {
        FileUse media(Media);
        if (!media.ok() || Store::instance().beginRead() != 0)
            return 102;
        Media.records();
        std::printf("ready\n");
        std::fflush(stdout);
        char line[16];
        if (!std::fgets(line, sizeof line, stdin))
            return 105;
        MUS.clear();
        MUS.Title = QStringLiteral("read first");
        const int rc = Songlore.add();
        Store::instance().commit();
        return rc;
    }
    if (command == QLatin1String("bulk") && args.size() == 5) {
        const int moment = args[4].toInt();
        BulkWriter::setBesideMinimum(1);
        BulkWriter::setMomentHook([moment](BulkWriter::Moment m) {
            if (int(m) == moment)
                std::raise(SIGKILL);
        });
        BulkWriter writer(Songlore);
        if (const int rc = writer.start())
            return rc;
        for (int i = 0; i < args[3].toInt(); ++i) {
            MUS.clear();
            MUS.Title = QStringLiteral("bulk %1").arg(i);
            MUS.CategoryID = 99;
            if (const int rc = writer.stage())
                return rc;
        }
        if (const int rc = Store::instance().logout({&Songlore, &Categories}))
            return rc;
        CAT.CategoryID = 99;
        CAT.Category = QStringLiteral("Bulk");
        if (const int rc = Categories.add() ? errorCode() : writer.merge()) {
            Store::instance().rollback();
            return rc;
        }
        return Store::instance().commit();
    }
    if (command == QLatin1String("change") && args.size() == 5) {
        MUS.clear();
        MUS.ID = args[3].toInt();
        if (const int rc = Songlore.get(SongloreRecord::KeyID))
            return rc;
        MUS.Title = args[4];
        return Songlore.put();
    }
    if (command == QLatin1String("hold") && args.size() == 4) {
        if (const int rc = Store::instance().logout({&Songlore, &Categories}))
            return rc;
        MUS.clear();
        MUS.Title = QStringLiteral("held");
        Songlore.add();
        std::printf("locked\n");
        std::fflush(stdout);
        QThread::msleep(static_cast<unsigned long>(args[3].toDouble() * 1000));
        return Store::instance().commit();
    }
    if (command == QLatin1String("spill") && args.size() == 4) {
        Store::instance().exec("PRAGMA \"Songlore\".cache_size=8");
        if (const int rc = Store::instance().logout({&Songlore, &Categories}))
            return rc;
        for (int i = 0; i < 400; ++i) {
            MUS.clear();
            MUS.Title = QStringLiteral("spilled %1 ").arg(i) + QString(200, u's');
            if (const int rc = Songlore.add())
                return rc;
        }
        std::printf("locked\n");
        std::fflush(stdout);
        QThread::msleep(static_cast<unsigned long>(args[3].toDouble() * 1000));
        return Store::instance().commit();
    }
    if (command == QLatin1String("import") && args.size() == 6) {
        const int total = args[3].toInt(), batch = args[4].toInt();
        for (int done = 0; done < total;) {
            Store::instance().stream();
            Songlore.set(SongloreRecord::KeyID);
            qint32 id = Songlore.previous() == 0 ? MUS.ID : 0;
            for (int i = 0; i < batch && done < total; ++i, ++done) {
                MUS.clear();
                MUS.Title = args[5];
                MUS.ID = ++id;
                if (const int rc = Songlore.add()) {
                    Store::instance().flush();
                    return rc;
                }
            }
            if (const int rc = Store::instance().flush())
                return rc;
        }
        return 0;
    }
    if (command == QLatin1String("churn")) {
        std::printf("started\n");
        std::fflush(stdout);
        for (qint64 n = Categories.records() + 1;; ++n) {
            if (Store::instance().logout({&Songlore, &Categories}) != 0)
                continue;
            CAT.CategoryID = n * 10;
            CAT.Category = QStringLiteral("Category %1").arg(n);
            MUS.clear();
            MUS.Artist = QStringLiteral("Artist %1").arg(n);
            MUS.Title = QString(200, QLatin1Char('t'));
            MUS.ID = qint32(n);
            MUS.CategoryID = qint32(n * 10);
            if (Categories.add() != 0 || Songlore.add() != 0) {
                Store::instance().rollback();
                return 103;
            }
            if (Store::instance().commit() != 0)
                return 104;
        }
    }
    return 100;
}
