// The engine boundary: what an engine other than the embedded SQLite one provides to the store.
#pragma once

#include "platform/store/bulkengine.h"
#include "platform/expr/compiler.h"
#include "platform/store/cursor.h"
#include "platform/store/layout.h"
#include "platform/store/position.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <vector>
#include <optional>

namespace melodex::store {

class KeyedFile;

/// A view's filter as an engine runs it: what the server can test goes into the page query, the
/// rest is tested by the program on the rows read.
class WalkFilter
{
public:
    virtual ~WalkFilter() = default;
};

/// What a name of a view's filter stands for on an engine: a field of the file the view reads
/// (`field` >= 0) or a value read each time a walk starts (`bound`).
struct FilterName
{
    int field = -1;
    expr::Bound bound;
};
using FilterResolver = std::function<std::optional<FilterName>(const QString &upperName)>;

/// One block of an ordered walk (Cursor's order, direction and position) asked of an engine.
struct WalkPage
{
    int key = -1;        ///< the key ordering the walk; -1 the record order
    int indexField = -1; ///< >= 0: ordered by this field's column index instead
    QString indexName;   ///< that column index's name on the engine
    bool forward = true; ///< towards larger values
    bool positioned = false;
    std::vector<Value> keyValues; ///< the position: the order fields' values ...
    qint64 id = 0;                ///< ... and rows strictly after (forward) or before this id
    int limit = 1;
    const WalkFilter *filter = nullptr;
};

/// The record operations of one data file on an engine. Results and codes are those of
/// KeyedFile (errors.h), which forwards to it; it reads into and writes from the file's buffer.
class FileEngine
{
public:
    virtual ~FileEngine() = default;
    virtual int open() = 0;
    virtual int create() = 0;
    virtual void close() = 0;
    virtual int add() = 0;
    virtual int put() = 0;
    virtual int deleteRecord() = 0;
    virtual int get(int key) = 0;
    virtual int reget(const Position &pos) = 0;
    virtual int set(int key) = 0;
    virtual int setFromBuffer(int key) = 0;
    virtual int next() = 0;
    virtual int previous() = 0;
    virtual Position position() const = 0;
    virtual void setCurrent(const Position &pos) = 0;
    virtual qint64 records() = 0;
    virtual int build() = 0;
    virtual int pack() = 0;

    // Walks for Cursor, View and ColumnIndex. The defaults say the engine cannot do them.
    /// Reads up to `page.limit` rows that pass the filter (fewer only at the end).
    virtual int fetchRows(const WalkPage &page, std::vector<Cursor::Row> &rows);
    /// Makes a view's filter from the conditions' tree; nullptr with `error` set when it cannot.
    virtual std::shared_ptr<WalkFilter> makeFilter(const expr::Node &root,
                                                   const FilterResolver &resolver, QString &error);
    /// Sorts every record's value of `field` into the column index `name` (made anew).
    virtual int buildColumnIndex(int field, const QString &name);
    virtual void dropColumnIndex(const QString &name);
    /// The value column index `name` holds for record `id`.
    virtual std::optional<Value> columnIndexValue(const QString &name, int field, qint64 id);
    /// Something that changes whenever the file's records change, on any station.
    virtual qint64 dataVersion();
};

/// A catalogue on an engine: its transactions (one covers every file) and its files.
class Engine
{
public:
    virtual ~Engine() = default;
    /// Where the catalogue is, for messages and as the files' names.
    virtual QString displayName() const = 0;
    virtual std::unique_ptr<FileEngine> file(Record &buffer) = 0;
    /// A transaction that writes; a writer waits up to two seconds for what others hold.
    virtual int begin() = 0;
    /// A transaction that reads one state of every file.
    virtual int beginRead() = 0;
    virtual int commit() = 0;
    virtual int rollback() = 0;
    /// The bulk writer for `file`, not yet started; null when the engine has none.
    virtual std::unique_ptr<BulkEngine> bulkWriter([[maybe_unused]] KeyedFile &file)
    {
        return nullptr;
    }
    /// Writes `files` as data files of the SQLite engine into `directory` (not yet there), all
    /// from one state of the catalogue, for a backup. Returns why not; empty when done.
    virtual QString copyToDirectory([[maybe_unused]] const QString &directory,
                                    [[maybe_unused]] const std::vector<KeyedFile *> &files)
    {
        return QStringLiteral("This is not available yet with the catalogue on a server.");
    }
    /// Checks one file as store::FileCheck does on the SQLite engine: that it is the file of its
    /// layout with its keys, its kept count, and with `full` that every key holds what the
    /// program computes from the record. The faults go to `faults`, in words a user can act on.
    /// A file not there yet has none.
    virtual void checkFile([[maybe_unused]] const KeyedFile &file, [[maybe_unused]] bool full,
                           QStringList &faults)
    {
        faults << QStringLiteral("This is not available yet with the catalogue on a server.");
    }
    /// Runs a count written for FileCheck::countFaults (the files' records as "LABEL".rec);
    /// 0 when one of the files is not there yet; -1 with the error state set when it fails.
    virtual qint64 countRows([[maybe_unused]] const std::vector<const KeyedFile *> &files,
                             [[maybe_unused]] const QString &sql)
    {
        return -1;
    }
};

/// The engine `file` is open on; nullptr on the SQLite engine.
FileEngine *fileEngineOf(const KeyedFile &file);

/// Puts the process's catalogue on `engine` (nullptr: the SQLite files of the data directory
/// again). Every open file is closed first.
void useEngine(std::shared_ptr<Engine> engine);
/// The engine the catalogue is on; nullptr on the SQLite engine.
Engine *currentEngine();

/// What a build with a server engine provides to the parts of the program that choose the
/// catalogue (the command line, the start-up, the preferences), which do not link the engine.
struct ServerSupport
{
    /// Connects to the catalogue at `uri`; nullptr with the store's error set when it cannot.
    std::function<std::shared_ptr<Engine>(const QString &uri)> connect;
    /// Whether the catalogue at `uri` can be used, and a message saying what was found.
    std::function<bool(const QString &uri, QString &message)> check;
    /// True when `uri` carries a password (which must never be kept in a setting).
    std::function<bool(const QString &uri)> hasPassword;
};
void setServerSupport(ServerSupport support);
/// False in a build without a server engine.
bool hasServerSupport();

/// Puts the catalogue on the server `uri` (empty: on the SQLite files of the data directory).
/// Returns 0, or an error code with the store's error state set; the message of lastError()
/// says why ("This Melodex was built without PostgreSQL support." in a build without it).
int useDatabase(const QString &uri);
/// The message for the last useDatabase() that failed.
QString databaseError();
/// A connection test for the preferences: ok and what was found, or why not.
bool checkDatabase(const QString &uri, QString &message);
/// True when `uri` carries a password.
bool databaseHasPassword(const QString &uri);

} // namespace melodex::store
