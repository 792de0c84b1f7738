// A throwaway PostgreSQL server for the tests of one test program (scripts/pg-throwaway.sh).
#pragma once

#include <QString>
#include <QTemporaryDir>

#include <memory>

namespace melodex::test {

/// Started on first use in a temporary folder, on a Unix socket there only, and stopped when
/// the test program ends. When PostgreSQL is not installed, available() is false and reason()
/// says why, for GTEST_SKIP.
class ThrowawayServer
{
public:
    static ThrowawayServer &shared();
    bool available() const { return !m_uri.isEmpty(); }
    QString reason() const { return m_reason; }
    /// The connection URI, with the catalogue in `schema`.
    QString uri(const QString &schema) const;
    /// Stops and starts the server: every client's connection is broken.
    bool restart();
    void stop();
    ~ThrowawayServer();

private:
    ThrowawayServer();
    bool run(const QString &command, QString *output);

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_uri;
    QString m_reason;
};

} // namespace melodex::test

/// Skips the test when no server can be started.
#define REQUIRE_POSTGRESQL()                                                                       \
    do {                                                                                           \
        if (!melodex::test::ThrowawayServer::shared().available())                                 \
            GTEST_SKIP() << melodex::test::ThrowawayServer::shared().reason().toStdString();       \
    } while (false)
