// Choosing the catalogue's engine from an address, for the parts of the program that do not link
// a server engine themselves.
#include "platform/store/engine.h"
#include "platform/store/errors.h"

#include <QGlobalStatic>
#include <QRegularExpression>

namespace melodex::store {

namespace {

struct Selection
{
    ServerSupport support;
    QString error;
};
Q_GLOBAL_STATIC(Selection, s_selection)

const QString &notBuilt()
{
    static const QString text =
        QStringLiteral("This Melodex was built without PostgreSQL support.");
    return text;
}

} // namespace

void setServerSupport(ServerSupport support)
{
    s_selection->support = std::move(support);
}

bool hasServerSupport()
{
    return bool(s_selection->support.connect);
}

int useDatabase(const QString &uri)
{
    Selection &s = *s_selection;
    s.error.clear();
    if (uri.trimmed().isEmpty()) {
        if (currentEngine())
            useEngine(nullptr);
        clearError();
        return 0;
    }
    if (!s.support.connect) {
        s.error = notBuilt();
        setDriverError(-1, s.error, uri);
        return FileSystemErr;
    }
    std::shared_ptr<Engine> engine = s.support.connect(uri.trimmed());
    if (!engine) {
        const ErrorState e = lastError();
        s.error = !e.text.isEmpty() && e.driverText.isEmpty() ? e.text
                  : e.driverText.isEmpty() ? QStringLiteral("error %1").arg(e.code)
                                           : e.driverText;
        return e.code != 0 ? e.code : FileSystemErr;
    }
    useEngine(std::move(engine));
    clearError();
    return 0;
}

QString databaseError()
{
    return s_selection->error;
}

bool checkDatabase(const QString &uri, QString &message)
{
    const ServerSupport &support = s_selection->support;
    if (!support.check) {
        message = notBuilt();
        return false;
    }
    return support.check(uri.trimmed(), message);
}

bool databaseHasPassword(const QString &uri)
{
    const ServerSupport &support = s_selection->support;
    if (support.hasPassword)
        return support.hasPassword(uri);
    // Without the engine's own parser: a "password" parameter, or user:password@ in a URI.
    static const QRegularExpression pattern(
        QStringLiteral("(^|[\\s?&])password\\s*=|^[a-z]+://[^/@:]*:[^/@]*@"),
        QRegularExpression::CaseInsensitiveOption);
    return pattern.match(uri.trimmed()).hasMatch();
}

} // namespace melodex::store
