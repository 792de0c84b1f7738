#include "platform/store/bulkengine.h"

#include "platform/store/engine.h"
#include "platform/store/errors.h"
#include "platform/store/keyedfile.h"

#include <QGlobalStatic>

#include <unordered_map>

namespace melodex::store {

namespace {

// Each bulk writer's engine writer, kept beside it so that the bulk writer's header stays as it
// was for the SQLite engine.
using BulkEngines = std::unordered_map<const BulkWriter *, std::unique_ptr<BulkEngine>>;
Q_GLOBAL_STATIC(BulkEngines, s_bulkEngines)

} // namespace

BulkEngine *startBulkEngine(const BulkWriter *writer, KeyedFile &file, int *code)
{
    *code = 0;
    Engine *engine = currentEngine();
    if (!engine || s_bulkEngines.isDestroyed())
        return nullptr;
    BulkEngine *started = bulkEngineOf(writer);
    if (!started) {
        std::unique_ptr<BulkEngine> made = engine->bulkWriter(file);
        if (!made) {
            setDriverError(-1,
                           QStringLiteral("This is not available yet with the catalogue on a "
                                          "server."),
                           file.name());
            *code = FileSystemErr;
            return nullptr;
        }
        started = made.get();
        (*s_bulkEngines)[writer] = std::move(made);
    }
    *code = started->start();
    return started;
}

BulkEngine *bulkEngineOf(const BulkWriter *writer)
{
    if (s_bulkEngines.isDestroyed() || s_bulkEngines->empty())
        return nullptr;
    const auto it = s_bulkEngines->find(writer);
    return it == s_bulkEngines->end() ? nullptr : it->second.get();
}

void dropBulkEngine(const BulkWriter *writer)
{
    if (s_bulkEngines.isDestroyed())
        return;
    const auto it = s_bulkEngines->find(writer);
    if (it == s_bulkEngines->end())
        return;
    it->second->finish();
    s_bulkEngines->erase(it);
}

} // namespace melodex::store
