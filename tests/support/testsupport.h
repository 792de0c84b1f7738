// Helpers shared by the tests: scratch directories and the sample data kept in tests/data/samples.
#pragma once

#include <QString>
#include <QTemporaryDir>

namespace melodex::test {

/// Path of a sample data file (tests/data/samples).
QString sampleDataFile(const QString &name);

} // namespace melodex::test
