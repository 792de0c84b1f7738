// The store's engine for a catalogue on a PostgreSQL server.
#pragma once

#include "platform/pgstore/pgcatalog.h"
#include "platform/store/engine.h"

#include <memory>

namespace melodex::pgstore {

/// Puts every data file of the store on the server: KeyedFile forwards its record operations
/// to a File of this catalogue, and Store its transactions.
class ServerEngine : public store::Engine, public std::enable_shared_from_this<ServerEngine>
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
    std::unique_ptr<store::BulkEngine> bulkWriter(store::KeyedFile &file) override;
    /// Through the migration to a directory, on a connection of its own, while the store writes
    /// the copies on the SQLite engine; refused while a file of the process is open.
    QString copyToDirectory(const QString &directory,
                            const std::vector<store::KeyedFile *> &files) override;
    /// The file's entry and keys, its kept count against its rows, and with `full` its sort
    /// keys against its texts (amcheck needs a superuser, so the server's own index check is not
    /// used).
    void checkFile(const store::KeyedFile &file, bool full, QStringList &faults) override;
    /// The count with each "LABEL".rec read as the file's table.
    qint64 countRows(const std::vector<const store::KeyedFile *> &files,
                     const QString &sql) override;
    Catalog &catalog() { return m_catalog; }

private:
    Catalog m_catalog;
    QString m_uri;
};

/// Offers this engine to the parts of the program that choose the catalogue
/// (store::useDatabase, the preferences' connection test).
void installServerSupport();

} // namespace melodex::pgstore
