// Adding many records to a table of a catalogue on a PostgreSQL server.
#pragma once

#include "platform/pgstore/pgcatalog.h"
#include "platform/pgstore/pgfile.h"
#include "platform/store/bulkengine.h"

#include <QByteArray>
#include <QHash>
#include <QString>

#include <memory>

namespace melodex::store {
class KeyedFile;
}

namespace melodex::pgstore {

/// store::BulkWriter on the server. Records are staged in a temporary table of the connection
/// (gone with it, so a station that dies or loses the server leaves nothing behind), sent with
/// COPY in binary form, and merged by one INSERT ... SELECT in the caller's transaction, in the
/// order they were staged, with the kept count raised in the same transaction.
///
/// Binary COPY rather than text: texts go as they are, with no escaping of tabs, newlines or
/// backslashes to write and parse again; the sort keys go as their bytes rather than as hex
/// twice their size; numbers go as eight bytes. The server only checks that texts are UTF-8.
///
/// The sort-key columns are computed by the program when a record is staged (and for a value
/// mapped at merge time, with the map). The keys are never dropped for a large merge, as the
/// SQLite engine's writer does: dropping an index locks the whole table, and other stations
/// must go on browsing while one imports.
///
/// Staged rows are held by the program until a few megabytes are ready, then copied, outside any
/// transaction, so a step locks nothing. A connection lost while records are staged loses the
/// stage with it: every later operation then fails with one message and nothing is added.
class BulkWriter : public store::BulkEngine
{
public:
    /// `owner` keeps the catalogue's connection alive as long as the writer (the store may be
    /// put on another engine before a writer is finished).
    BulkWriter(Catalog &catalog, store::KeyedFile &file, std::shared_ptr<void> owner = {});
    ~BulkWriter() override;

    int start() override;
    int beginStep() override;
    int endStep(bool keep) override;
    int stage() override;
    qint64 staged() const override { return m_staged; }
    void setExpression(int field, const QString &sql) override;
    int mapValues(int field,
                  const std::vector<std::pair<store::Value, store::Value>> &map) override;
    int merge() override;
    bool rebuiltKeys() const override { return false; }
    void finish() override;

    /// Staged rows held by the program are copied once they take this many bytes.
    static constexpr qsizetype FlushBytes = 1 << 20;

private:
    /// Copies the rows the program holds into the stage.
    int flush();
    /// Empties the stage of rows a merge has added (after its transaction has ended).
    int clearMerged();
    /// 0 while the stage is still on the server; the lost stage's error otherwise.
    int stageKept();
    /// After a failed statement: the lost stage's error when the connection was made again.
    int failed(int code);
    int lostStage();
    /// The merged value of a field mapped with mapValues().
    QString mapExpression(int field) const;

    std::shared_ptr<void> m_owner;
    Catalog &m_catalog;
    store::KeyedFile &m_file;
    File m_table;
    QString m_stage;
    QString m_mapPrefix;
    quint64 m_session = 0;
    bool m_started = false;
    bool m_lost = false;
    bool m_inStep = false;
    bool m_merged = false;
    qint64 m_staged = 0;
    qint64 m_stepStart = 0;
    qsizetype m_stepBytes = 0;
    /// Rows already copied into the stage (numbered 1 to m_sent).
    qint64 m_sent = 0;
    /// Rows staged since, in COPY's binary form.
    QByteArray m_rows;
    QHash<int, QString> m_expressions;
    /// Per field mapped since the last merge: the table of its map.
    QHash<int, QString> m_maps;
};

} // namespace melodex::pgstore
