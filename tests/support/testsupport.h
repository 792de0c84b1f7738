// Helpers shared by the tests: scratch directories and the shared sample data.
#pragma once

#include <QString>
#include <QTemporaryDir>

namespace melodex::test {

/// Path of a file in the shared sample data folder.
QString sharedDataFile(const QString &name);

} // namespace melodex::test
