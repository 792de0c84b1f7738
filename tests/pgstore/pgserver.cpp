#include "pgserver.h"

#include <QProcess>

#include <gtest/gtest.h>

namespace melodex::test {

namespace {
// Stops the server when the test program ends, before static objects go.
class StopServer : public ::testing::Environment
{
public:
    void TearDown() override { ThrowawayServer::shared().stop(); }
};
const auto *const s_stopServer = ::testing::AddGlobalTestEnvironment(new StopServer);
} // namespace

ThrowawayServer &ThrowawayServer::shared()
{
    static ThrowawayServer server;
    return server;
}

ThrowawayServer::ThrowawayServer()
{
    // A short path: the server's socket path must stay under about 100 characters.
    m_dir = std::make_unique<QTemporaryDir>(QStringLiteral("/tmp/mdxpg-XXXXXX"));
    if (!m_dir->isValid()) {
        m_reason = QStringLiteral("no temporary folder for the server");
        return;
    }
    QString out;
    if (run(QStringLiteral("start"), &out))
        m_uri = out.trimmed();
}

ThrowawayServer::~ThrowawayServer()
{
    stop();
}

bool ThrowawayServer::run(const QString &command, QString *output)
{
    QProcess p;
    p.start(QStringLiteral(PG_THROWAWAY), {command, m_dir->path()});
    p.waitForFinished(120000);
    if (output)
        *output = QString::fromLocal8Bit(p.readAllStandardOutput());
    if (p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0)
        return true;
    const QString err = QString::fromLocal8Bit(p.readAllStandardError()).trimmed();
    m_reason =
        p.exitCode() == 77 ? err : QStringLiteral("the test server did not start: %1").arg(err);
    return false;
}

QString ThrowawayServer::uri(const QString &schema) const
{
    return m_uri + QStringLiteral("&melodex_schema=") + schema;
}

bool ThrowawayServer::restart()
{
    return available() && run(QStringLiteral("restart"), nullptr);
}

void ThrowawayServer::stop()
{
    if (available())
        run(QStringLiteral("stop"), nullptr);
    m_uri.clear();
}

} // namespace melodex::test
