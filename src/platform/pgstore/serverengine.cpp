#include "platform/pgstore/serverengine.h"

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

void installServerSupport()
{
    store::ServerSupport support;
    support.connect = [](const QString &uri) -> std::shared_ptr<store::Engine> {
        return ServerEngine::connect(uri);
    };
    support.check = [](const QString &uri, QString &message) {
        const ConnectionCheck c = checkConnection(uri);
        message = c.message;
        return c.ok;
    };
    support.hasPassword = [](const QString &uri) { return uriHasPassword(uri); };
    store::setServerSupport(std::move(support));
}

} // namespace melodex::pgstore
