#include "testsupport.h"

namespace melodex::test {

QString sampleDataFile(const QString &name)
{
    // ctest names the folder; the sample data is not compiled in, so that test objects do not
    // depend on where the checkout lies.
    return QString::fromLocal8Bit(qgetenv("MELODEX_SAMPLE_DATA")) + u'/' + name;
}

} // namespace melodex::test
