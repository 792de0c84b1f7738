#include "testsupport.h"

namespace melodex::test {

QString sharedDataFile(const QString &name)
{
    return QStringLiteral(MELODEX_SHARED_DATA "/") + name;
}

} // namespace melodex::test
