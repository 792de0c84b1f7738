// The look over an import file before anything of it is written.
#pragma once

#include <QString>

#include <optional>

namespace melodex {

class ImportAssignment;
class ImportFile;

/// Reads the lines of `file` (which must be open) until every column assigned to a time, date
/// or number field has shown a value that field can read. A column that holds values but none
/// of them readable would import every song without it: the reason is returned, naming the
/// column, its field and one of its values with its line, and the import is not to begin. The
/// line that names the fields (`stripHeader`, or one autoAssign found) is left out. Returns
/// nothing when all is well or the file cannot be read (the import then says so itself); the
/// file is positioned anywhere afterwards.
std::optional<QString> unreadableColumn(ImportFile &file, const ImportAssignment &assignment,
                                        bool stripHeader);

} // namespace melodex
