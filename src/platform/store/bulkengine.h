// The bulk writer of an engine other than the embedded SQLite one.
#pragma once

#include "platform/store/sqlvalue.h"

#include <QString>

#include <memory>
#include <utility>
#include <vector>

namespace melodex::store {

class BulkWriter;
class KeyedFile;

/// What store::BulkWriter forwards to while the catalogue is on an engine. The operations,
/// their order and their codes are BulkWriter's (bulkwriter.h): stage records in steps without
/// locking any data file, then merge them inside the caller's transaction.
class BulkEngine
{
public:
    virtual ~BulkEngine() = default;
    virtual int start() = 0;
    virtual int beginStep() = 0;
    virtual int endStep(bool keep) = 0;
    virtual int stage() = 0;
    virtual qint64 staged() const = 0;
    virtual void setExpression(int field, const QString &sql) = 0;
    virtual int mapValues(int field, const std::vector<std::pair<Value, Value>> &map) = 0;
    virtual int merge() = 0;
    virtual bool rebuiltKeys() const = 0;
    virtual void finish() = 0;
};

/// The engine's bulk writer for `writer`, made and started on first use (start()); null while
/// the catalogue is on the SQLite engine. Returns the code of start() in `code`.
BulkEngine *startBulkEngine(const BulkWriter *writer, KeyedFile &file, int *code);
/// The bulk writer started for `writer`; null when there is none.
BulkEngine *bulkEngineOf(const BulkWriter *writer);
/// Finishes and forgets the bulk writer started for `writer`.
void dropBulkEngine(const BulkWriter *writer);

} // namespace melodex::store
