// An in-memory song table laid out as the store keeps files, for running compiled filters.
#pragma once

#include "platform/expr/builtins.h"
#include "platform/expr/compiler.h"
#include "platform/expr/evaluator.h"
#include "platform/expr/sqlfunctions.h"

#include <QString>
#include <QVariant>

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <optional>
#include <vector>

namespace melodex::expr::test {

struct Song
{
    qint64 id = 0;
    QString artist;
    QString title;
    QString media;
    qint64 chart = 0;
    qint64 priceCents = 0;
    qint64 released = 0;
    double rate = 0;
};

/// The songs file attached as "Songlore" with its text columns under a case-insensitive MDX
/// collation, as the store declares them; the filter's bound variables are members.
class SongTable
{
public:
    SongTable()
    {
        EXPECT_EQ(sqlite3_open(":memory:", &m_db), SQLITE_OK);
        EXPECT_EQ(registerSqlFunctions(m_db), SQLITE_OK);
        EXPECT_EQ(sqlite3_create_collation_v2(m_db, "MDX", SQLITE_UTF8, nullptr, caseless, nullptr),
                  SQLITE_OK);
        exec("ATTACH ':memory:' AS \"Songlore\"");
        exec("CREATE TABLE \"Songlore\".rec(ID INTEGER PRIMARY KEY,"
             " Artist TEXT NOT NULL COLLATE MDX, Title TEXT NOT NULL COLLATE MDX,"
             " Media TEXT NOT NULL COLLATE MDX, ChartNumber INTEGER NOT NULL,"
             " Price INTEGER NOT NULL, Released INTEGER NOT NULL, Rate REAL NOT NULL)");
    }
    ~SongTable() { sqlite3_close(m_db); }
    SongTable(const SongTable &) = delete;
    SongTable &operator=(const SongTable &) = delete;

    sqlite3 *db() const { return m_db; }

    void exec(const char *sql)
    {
        char *message = nullptr;
        EXPECT_EQ(sqlite3_exec(m_db, sql, nullptr, nullptr, &message), SQLITE_OK)
            << sql << ": " << (message ? message : "");
        sqlite3_free(message);
    }

    void insert(const Song &song)
    {
        sqlite3_stmt *stmt = nullptr;
        ASSERT_EQ(sqlite3_prepare_v2(m_db, "INSERT INTO \"Songlore\".rec VALUES(?,?,?,?,?,?,?,?)",
                                     -1, &stmt, nullptr),
                  SQLITE_OK);
        sqlite3_bind_int64(stmt, 1, song.id);
        bindText(stmt, 2, song.artist);
        bindText(stmt, 3, song.title);
        bindText(stmt, 4, song.media);
        sqlite3_bind_int64(stmt, 5, song.chart);
        sqlite3_bind_int64(stmt, 6, song.priceCents);
        sqlite3_bind_int64(stmt, 7, song.released);
        sqlite3_bind_double(stmt, 8, song.rate);
        EXPECT_EQ(sqlite3_step(stmt), SQLITE_DONE);
        sqlite3_finalize(stmt);
    }

    qint64 count()
    {
        sqlite3_stmt *stmt = nullptr;
        sqlite3_prepare_v2(m_db, "SELECT count(*) FROM \"Songlore\".rec", -1, &stmt, nullptr);
        const qint64 n = sqlite3_step(stmt) == SQLITE_ROW ? sqlite3_column_int64(stmt, 0) : -1;
        sqlite3_finalize(stmt);
        return n;
    }

    Resolver resolver()
    {
        return [this](const QString &name) -> std::optional<Binding> {
            const auto column = [](const char *field, ValueType type, int places = 0) {
                return Column{QStringLiteral("\"Songlore\".rec.\"%1\"").arg(QLatin1String(field)),
                              type, places};
            };
            if (name == u"MUS:ARTIST")
                return column("Artist", ValueType::Text);
            if (name == u"MUS:TITLE")
                return column("Title", ValueType::Text);
            if (name == u"MUS:MEDIA")
                return column("Media", ValueType::Text);
            if (name == u"MUS:CHARTNUMBER")
                return column("ChartNumber", ValueType::Integer);
            if (name == u"MUS:PRICE")
                return column("Price", ValueType::Decimal, 2);
            if (name == u"MUS:RELEASED")
                return column("Released", ValueType::Date);
            if (name == u"MUS:RATE")
                return column("Rate", ValueType::Real);
            if (name == u"BRW1::SORT3:RESET:MED:MEDIA")
                return Bound{[this] { return media; }, ValueType::Text};
            if (name == u"THREADINSTANCE")
                return Bound{[this] { return instance; }, ValueType::Integer};
            if (name == u"REPORT:BUDGET")
                return Bound{[this] { return budget; }, ValueType::Decimal, 2};
            return std::nullopt;
        };
    }

    /// The values the resolver's names have for `song`, for the direct evaluator.
    ValueGetter getter(const Song &song)
    {
        return [this, &song](const QString &name) -> std::optional<Value> {
            if (name == u"MUS:ARTIST")
                return Value::fromText(song.artist);
            if (name == u"MUS:TITLE")
                return Value::fromText(song.title);
            if (name == u"MUS:MEDIA")
                return Value::fromText(song.media);
            if (name == u"MUS:CHARTNUMBER")
                return Value::fromNumber(song.chart);
            if (name == u"MUS:PRICE")
                return Value::fromNumber(song.priceCents, 2);
            if (name == u"MUS:RELEASED")
                return Value::fromNumber(song.released);
            if (name == u"MUS:RATE")
                return Value::fromReal(song.rate);
            if (name == u"BRW1::SORT3:RESET:MED:MEDIA")
                return fromVariant(media, ValueType::Text);
            if (name == u"THREADINSTANCE")
                return fromVariant(instance, ValueType::Integer);
            if (name == u"REPORT:BUDGET")
                return fromVariant(budget, ValueType::Decimal, 2);
            return std::nullopt;
        };
    }

    /// Ids of the songs a compiled filter selects, in id order; nothing when SQLite refuses it.
    std::optional<std::vector<qint64>> select(const CompiledFilter &filter)
    {
        const QByteArray sql = (QStringLiteral("SELECT ID FROM \"Songlore\".rec WHERE ") +
                                filter.sql + QStringLiteral(" ORDER BY ID"))
                                   .toUtf8();
        sqlite3_stmt *stmt = nullptr;
        if (sqlite3_prepare_v2(m_db, sql.constData(), int(sql.size()), &stmt, nullptr) !=
            SQLITE_OK) {
            ADD_FAILURE() << sqlite3_errmsg(m_db) << " in " << sql.constData();
            return std::nullopt;
        }
        std::optional<std::vector<qint64>> ids = rows(stmt, filter);
        sqlite3_finalize(stmt);
        return ids;
    }

    /// Binds and steps a prepared statement whose only parameters are the filter's.
    std::optional<std::vector<qint64>> rows(sqlite3_stmt *stmt, const CompiledFilter &filter)
    {
        sqlite3_reset(stmt);
        if (bind(stmt, 1, filter.params) != SQLITE_OK) {
            ADD_FAILURE() << "bind failed: " << sqlite3_errmsg(m_db);
            return std::nullopt;
        }
        std::vector<qint64> ids;
        int rc = SQLITE_ROW;
        while ((rc = sqlite3_step(stmt)) == SQLITE_ROW)
            ids.push_back(sqlite3_column_int64(stmt, 0));
        if (rc != SQLITE_DONE) {
            ADD_FAILURE() << "step failed: " << sqlite3_errmsg(m_db);
            return std::nullopt;
        }
        return ids;
    }

    /// Prepares the filter inside a page query like the store's; the SQLite message on failure.
    QString preparePage(const QString &filterSql)
    {
        const QByteArray sql =
            (QStringLiteral(
                 "SELECT ID, Artist FROM \"Songlore\".rec WHERE (\"Songlore\".rec.Artist,"
                 " \"Songlore\".rec.Title, \"Songlore\".rec.ID) > (?, ?, ?) AND (") +
             filterSql + QStringLiteral(") ORDER BY Artist, Title, ID LIMIT 25"))
                .toUtf8();
        sqlite3_stmt *stmt = nullptr;
        const int rc = sqlite3_prepare_v2(m_db, sql.constData(), int(sql.size()), &stmt, nullptr);
        const QString message =
            rc == SQLITE_OK ? QString() : QString::fromUtf8(sqlite3_errmsg(m_db));
        sqlite3_finalize(stmt);
        return message;
    }

    QVariant media;
    QVariant instance;
    QVariant budget;

private:
    static void bindText(sqlite3_stmt *stmt, int index, const QString &text)
    {
        const QByteArray utf8 = text.toUtf8();
        sqlite3_bind_text64(stmt, index, utf8.constData(), sqlite3_uint64(utf8.size()),
                            SQLITE_TRANSIENT, SQLITE_UTF8);
    }

    // Stands in for the store's collation: caseless for every letter, trailing blanks ignored.
    static int caseless(void *, int sizeA, const void *a, int sizeB, const void *b)
    {
        const QString lhs = clip(QString::fromUtf8(static_cast<const char *>(a), sizeA));
        const QString rhs = clip(QString::fromUtf8(static_cast<const char *>(b), sizeB));
        return lhs.compare(rhs, Qt::CaseInsensitive);
    }

    sqlite3 *m_db = nullptr;
};

} // namespace melodex::expr::test
