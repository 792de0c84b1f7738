// Adding many records to a data file while writing each of its pages about once.
#pragma once

#include "platform/store/sqlvalue.h"

#include <QHash>
#include <QString>

#include <chrono>
#include <functional>
#include <utility>
#include <vector>

namespace melodex::store {

class KeyedFile;

/// Adds a large number of records to one data file in a single transaction.
///
/// Adding records one by one writes every key at a random place: once a file has outgrown the
/// page cache, each commit rewrites (and first journals) index pages all over the file, so the
/// bytes written grow with the number of commits times the size of the keys. The bulk writer
/// instead stages the records in a table of the connection's temporary database (a file of its
/// own, removed with the connection, so a killed process leaves nothing behind) without any
/// lock on the data files, and merges them in one statement inside a transaction the caller has
/// begun over the file and any others that change with it (merge()). When the staged records
/// are many against those already stored, the file's keys are dropped inside that transaction
/// and built again after the rows: SQLite then sorts each key once and writes its pages in
/// order, which costs a fraction of maintaining them row by row.
///
/// While it merges, the writer leaves a note in the data directory that tells another process
/// finding the files locked that a bulk write holds them and until about when (lockNotice()).
class BulkWriter
{
public:
    explicit BulkWriter(KeyedFile &file);
    ~BulkWriter();
    BulkWriter(const BulkWriter &) = delete;
    BulkWriter &operator=(const BulkWriter &) = delete;

    /// Makes the staging table (the file must be open and no transaction may be open). Returns 0
    /// or an error code (also in lastError()).
    int start();
    bool started() const { return m_started; }

    /// Staged records are kept or dropped in steps: beginStep() opens one, endStep() keeps
    /// (true) or drops (false) the records staged since. No data file is locked by a step.
    int beginStep();
    int endStep(bool keep);

    /// Stages the file's buffer as add() would store it. Returns 0 or an error code.
    int stage();
    qint64 staged() const { return m_staged; }

    /// The merged rows take `sql` for the field instead of the staged value; the expression may
    /// name the staged row's columns as s."Field" (for example numbering: "1000 + s.\"ID\"").
    void setExpression(int field, const QString &sql);
    /// The merged rows take the value mapped from a staged value (a category found or added only
    /// at merge time); values not mapped are kept.
    int mapValues(int field, const std::vector<std::pair<Value, Value>> &map);

    /// Adds the staged records to the file inside the caller's open transaction; the stage is
    /// emptied before the next record is staged. Returns 0 or an error code; on failure the
    /// caller rolls its transaction back and the records stay staged.
    int merge();
    /// True when the last merge dropped the keys and built them again after the rows.
    bool rebuiltKeys() const { return m_rebuilt; }
    /// True when the last merge built the merged file beside the file, to be put in its place
    /// when the caller's transaction commits.
    bool mergedBeside() const { return m_beside; }

    /// Merges that rebuild the keys and add at least this many records are built beside the
    /// file (tests lower it).
    static void setBesideMinimum(qint64 records);
    /// The moments of putting a merged file in place, for tests that end the process at each.
    enum class Moment { Built, Committed, Placed };
    static void setMomentHook(std::function<void(Moment)> hook);

    /// Drops the staging table and restores the connection's settings.
    void finish();

    /// The note a process merging into the files of `dataDirectory` left there, as a sentence
    /// for a "File Is Locked" message; empty when no merge is running.
    static QString lockNotice(const QString &dataDirectory);

    /// Leaves the note for other processes (merge() does so itself), expecting to hold the
    /// files for about `expected`; withdraw() takes it back (finish() and the next note do).
    void announce(std::chrono::seconds expected);
    void withdraw();

private:
    int exec(const QString &sql);
    /// Copies the file beside itself, merges the stage into the copy and has the store put it
    /// in place at the commit.
    int mergeBeside(const QStringList &values);
    /// Empties the stage of rows a merge has added (after its transaction has ended).
    int clearMerged();

    KeyedFile &m_file;
    bool m_started = false;
    bool m_inStep = false;
    bool m_rebuilt = false;
    bool m_merged = false;
    bool m_beside = false;
    qint64 m_staged = 0;
    qint64 m_stepStart = 0;
    QString m_table;
    QString m_insertSql;
    QHash<int, QString> m_expressions;
    std::vector<QString> m_maps;
    qint64 m_savedTempStore = -1;
    qint64 m_savedMainCache = 0;
    int m_noticeFd = -1;
    QString m_noticePath;
};

} // namespace melodex::store
