// The declaration of `melodex migrate` and its run over the server engine's migration.
#include "migratecommand.h"

#include "cli/command.h"
#include "data/externalids.h"
#include "data/records.h"
#include "platform/pgstore/migration.h"

#include <cstdio>

namespace melodex {

void registerMigrateCommand()
{
    cli::Command c;
    c.name = QStringLiteral("migrate");
    c.summary = QStringLiteral("copy the catalogue to a PostgreSQL server, or back");
    c.description = QStringLiteral(
        "Copies the whole catalogue of the data directory to the PostgreSQL server --to names "
        "(a libpq connection URI, postgresql://...), or, with --to DIR, the catalogue of the "
        "server --database names into the directory DIR. The target ends up complete or as it "
        "was, never partial; a target that holds records is refused unless --replace is given. "
        "The record counts and a checksum of every file are compared on both sides before the "
        "copy is kept. Passwords belong in libpq's password file or service file, not in the "
        "address.");
    c.shared = {cli::Shared::Quiet, cli::Shared::DataDir};
    c.options = {
        QCommandLineOption(QStringLiteral("to"),
                           QStringLiteral("the server (postgresql://...) or directory to copy to"),
                           QStringLiteral("TARGET")),
        QCommandLineOption(QStringLiteral("database"),
                           QStringLiteral("the server to copy from, with --to DIR"),
                           QStringLiteral("URI")),
        QCommandLineOption(QStringLiteral("replace"),
                           QStringLiteral("replace a target that holds records")),
    };
    c.exitStatus = QStringLiteral("0 copied, 1 failed (the target is left as it was), 2 wrong "
                                  "arguments.");
    c.run = [](cli::Invocation &in) {
        if (!in.isSet(QStringLiteral("to"))) {
            std::fputs("melodex migrate: --to postgresql://... or --to DIR is needed\n", stderr);
            return 2;
        }
        pgstore::MigrationOptions o;
        o.to = in.value(QStringLiteral("to"));
        o.database = in.value(QStringLiteral("database"));
        o.dataDirectory = in.dataDirectory();
        o.replace = in.isSet(QStringLiteral("replace"));
        // The identifiers' file is kept apart from the others' list but is the catalogue's too.
        o.files = allFiles();
        o.files.push_back(&ExternalIds);
        if (!in.quiet())
            o.progress = [](const QString &what) {
                std::fprintf(stderr, "%s\n", qPrintable(what));
                return true;
            };
        const pgstore::MigrationResult r = pgstore::migrate(o);
        for (const QString &line : r.report)
            std::printf("%s\n", qPrintable(line));
        if (!r.ok) {
            std::fprintf(stderr, "melodex migrate: %s\n", qPrintable(r.error));
            return 1;
        }
        return 0;
    };
    cli::registerCommand(std::move(c));
}

} // namespace melodex
