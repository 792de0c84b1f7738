#include "platform/pgstore/serverengine.h"

#include "platform/pgstore/pgbulk.h"
#include "platform/pgstore/pgfile.h"

namespace melodex::pgstore {

std::shared_ptr<ServerEngine> ServerEngine::connect(const QString &uri)
{
    auto engine = std::make_shared<ServerEngine>();
    if (engine->m_catalog.open(uri) != 0)
        return nullptr;
    return engine;
}

std::unique_ptr<store::FileEngine> ServerEngine::file(store::Record &buffer)
{
    return std::make_unique<File>(m_catalog, buffer);
}

std::unique_ptr<store::BulkEngine> ServerEngine::bulkWriter(store::KeyedFile &file)
{
    return std::make_unique<BulkWriter>(m_catalog, file);
}

} // namespace melodex::pgstore
