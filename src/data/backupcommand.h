// "melodex backup" and "melodex restore": the catalogue into one archive and back.
#pragma once

#include <QStringList>

#include <optional>

namespace melodex {

/// Runs `melodex backup FILE` or `melodex restore FILE` when `arguments` (without the program
/// name) ask for one, returning its exit status; std::nullopt for any other command line.
std::optional<int> runBackupCommand(const QStringList &arguments);

} // namespace melodex
