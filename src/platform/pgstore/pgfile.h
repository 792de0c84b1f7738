// A data file of the store as a table of a catalogue on a PostgreSQL server.
#pragma once

#include "platform/pgstore/pgcatalog.h"
#include "platform/store/engine.h"
#include "platform/store/layout.h"
#include "platform/store/position.h"

#include <QString>

#include <vector>

namespace melodex::pgstore {

/// One data file as table `schema.filename`. The record operations and their codes are those of
/// store::KeyedFile, so the engine can stand behind it: the file reads into and writes from the
/// record buffer; every put checks that the stored record is still the version that was read
/// (89 otherwise, nothing written), across every station connected to the catalogue.
///
/// Keys order texts by a sort-key column the program computes beside each text field a key
/// uses (store::keySortBytes), so the order and equality are exactly the SQLite engine's,
/// whatever the server's locale.
class File : public store::FileEngine
{
public:
    File(Catalog &catalog, store::Record &buffer);

    const store::FileLayout &layout() const { return m_buffer.layout(); }
    store::Record &buffer() { return m_buffer; }
    /// "schema.file", for messages.
    QString name() const;
    /// The quoted, schema-qualified table name.
    QString tableName() const;

    /// Makes the table and its keys; one another station made meanwhile is kept (0 as well).
    int create() override;
    /// The same inside the caller's transaction (a migration makes every file in one).
    int createInTransaction();
    /// Drops the table and its entry inside the caller's transaction.
    int dropInTransaction();
    /// 2 when the table is missing, 47 when its layout differs, 46 when its keys do.
    int open() override;
    void close() override { m_open = false; }
    bool isOpen() const { return m_open; }

    int add() override;
    int put() override;
    int deleteRecord() override;
    /// Reads the first record whose components of `key` equal the buffer's (35 when none).
    int get(int key) override;
    int reget(const store::Position &pos) override;
    /// Positions before the first record in the order of `key` (-1: record order).
    int set(int key) override;
    /// Positions at the buffer's value of `key`: next reads the first record at or after it.
    int setFromBuffer(int key) override;
    /// Reads the next / previous record in the order of the last set; 33 past the end.
    int next() override;
    int previous() override;
    store::Position position() const override;
    void setCurrent(const store::Position &pos) override;

    /// The kept records count.
    qint64 records() override;
    /// Rebuilds every key: sort keys that do not match their texts are computed again, then
    /// every index is rebuilt (REINDEX).
    int build() override;
    /// The records whose sort keys do not match their texts (written by a tool other than
    /// Melodex, which would put them out of order and let duplicates past a unique key): their
    /// identities in `stale`. Returns 0 or an error code.
    int findStaleSortKeys(std::vector<qint64> &stale);
    /// VACUUM (ANALYZE).
    int pack() override;

    /// The column of field `field` and of its sort key.
    QString columnName(int field) const;
    QString sortColumnName(int field) const;
    /// True when some key orders by text field `field` (it then has a sort-key column).
    bool hasSortColumn(int field) const;
    /// The condition leaving out the records an "empty excluded" key leaves out; empty for none.
    QString emptyKeyCondition(int key) const;

    // Walks for Cursor and View (pgwalk.cpp).
    int fetchRows(const store::WalkPage &page, std::vector<store::Cursor::Row> &rows) override;
    std::shared_ptr<store::WalkFilter> makeFilter(const expr::Node &root,
                                                  const store::FilterResolver &resolver,
                                                  QString &error) override;
    int buildColumnIndex(int field, const QString &name) override;
    void dropColumnIndex(const QString &name) override;
    std::optional<store::Value> columnIndexValue(const QString &name, int field,
                                                 qint64 id) override;
    qint64 dataVersion() override;
    /// A row of a result whose columns are _id, _ver, then every field.
    store::Cursor::Row rowAt(const Result &r, int row) const;
    Catalog &catalog() { return m_catalog; }

    /// The statements that make the table and its indexes.
    std::vector<QString> schemaStatements() const;

private:
    /// 0 when the file is open and a record is current; else the error, set.
    int currentRecordError() const;

    std::vector<store::Value> storedValues() const;
    Params rowParams(const std::vector<store::Value> &values) const;
    Param valueParam(int field, const store::Value &v) const;
    int readRow(const Result &r, int row);
    /// The index columns of `key` (sort-key columns for texts), `_id` last for a key that is
    /// not unique.
    QStringList orderColumns(int key) const;
    int step(bool forward);
    QString indexName(int key) const;

    /// One walk block read from the server, before the program's part of a filter.
    int fetchBlock(const store::WalkPage &page, std::vector<store::Cursor::Row> &rows);

    Catalog &m_catalog;
    store::Record &m_buffer;
    bool m_open = false;
    std::vector<bool> m_sorted; ///< per field: has a sort-key column
    QString m_selectList;

    qint64 m_curId = 0;
    qint64 m_curVersion = 0;
    std::vector<store::Value> m_snapshot;

    // The walk: its key, and the position as the order columns' values of the last record read
    // (empty: before the start or after the end).
    int m_walkKey = -1;
    bool m_walking = false;
    Params m_walkAt;
    bool m_walkInclusive = false; ///< the position is a searched value, not a record read
};

} // namespace melodex::pgstore
