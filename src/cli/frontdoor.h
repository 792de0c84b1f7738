// The program's front door for commands: `melodex COMMAND ...` and `melodex help`.
#pragma once

#include <QStringList>

#include <optional>

namespace melodex::cli {

/// Where a command without --data-dir works.
enum class DataDefault {
    UserData,       ///< the default data directory, made on first use (the program's)
    StoreAsItStands ///< the store's data directory as it is set (tests set it beforehand)
};

/// Runs the command `arguments` (without the program's name) name, or the help that they ask
/// for. Returns nothing when they name no command and ask for no help (the window opens);
/// otherwise the exit status: 0, 1, 2 wrong arguments (with the command's usage), 3 where the
/// command says so.
std::optional<int> runCommand(const QStringList &arguments,
                              DataDefault dataDefault = DataDefault::StoreAsItStands);

} // namespace melodex::cli
