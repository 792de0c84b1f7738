#include "testsupport.h"

namespace melodex::test {

QString sampleDataFile(const QString &name)
{
    return QStringLiteral(MELODEX_SAMPLE_DATA "/") + name;
}

} // namespace melodex::test
