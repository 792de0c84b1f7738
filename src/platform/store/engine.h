// The engine boundary: what an engine other than the embedded SQLite one provides to the store.
#pragma once

#include "platform/store/bulkengine.h"
#include "platform/store/layout.h"
#include "platform/store/position.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

namespace melodex::store {

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

/// Puts the process's catalogue on `engine` (nullptr: the SQLite files of the data directory
/// again). Every open file is closed first.
void useEngine(std::shared_ptr<Engine> engine);
/// The engine the catalogue is on; nullptr on the SQLite engine.
Engine *currentEngine();

} // namespace melodex::store
