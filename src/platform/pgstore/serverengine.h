// The store's engine for a catalogue on a PostgreSQL server.
#pragma once

#include "platform/pgstore/pgcatalog.h"
#include "platform/store/engine.h"

#include <memory>

namespace melodex::pgstore {

/// Puts every data file of the store on the server: KeyedFile forwards its record operations
/// to a File of this catalogue, and Store its transactions.
class ServerEngine : public store::Engine
{
public:
    /// Connects; null with the store's error state set when the server cannot be used.
    static std::shared_ptr<ServerEngine> connect(const QString &uri);

    QString displayName() const override { return m_catalog.displayName(); }
    std::unique_ptr<store::FileEngine> file(store::Record &buffer) override;
    int begin() override { return m_catalog.begin(); }
    int beginRead() override { return m_catalog.beginRead(); }
    int commit() override { return m_catalog.commit(); }
    int rollback() override { return m_catalog.rollback(); }
    Catalog &catalog() { return m_catalog; }

private:
    Catalog m_catalog;
};

/// Offers this engine to the parts of the program that choose the catalogue
/// (store::useDatabase, the preferences' connection test).
void installServerSupport();

} // namespace melodex::pgstore
