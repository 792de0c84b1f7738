// Replays every input kept in fuzz/corpus/ through the check of its fuzz target.
#include "csvlinecheck.h"
#include "discimageprobe.h"
#include "filterprobe.h"
#include "picturecheck.h"
#include "profilecheck.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <functional>

using namespace melodex::fuzz;

namespace {

using Check = std::function<QString(const QByteArray &)>;

// Runs `check` on each file of the target's corpus; the corpus must not be empty.
void replay(const char *target, const Check &check)
{
    const QDir dir(QStringLiteral(MELODEX_FUZZ_CORPUS "/") + QLatin1String(target));
    const QStringList files = dir.entryList(QDir::Files, QDir::Name);
    ASSERT_FALSE(files.isEmpty()) << "no corpus in " << dir.path().toStdString();
    for (const QString &name : files) {
        QFile file(dir.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << name.toStdString();
        const QString problem = check(file.readAll());
        EXPECT_TRUE(problem.isEmpty())
            << target << "/" << name.toStdString() << ": " << problem.toStdString();
    }
}

TEST(FuzzCorpus, Filter)
{
    FilterProbe probe;
    ASSERT_TRUE(probe.isReady()) << probe.setupError().toStdString();
    replay("filter", [&probe](const QByteArray &input) {
        return probe.checkBytes(input.constData(), size_t(input.size()));
    });
}

TEST(FuzzCorpus, Picture)
{
    replay("picture", [](const QByteArray &input) {
        return checkPicture(input.constData(), size_t(input.size()));
    });
}

TEST(FuzzCorpus, Profile)
{
    replay("profile", [](const QByteArray &input) {
        return checkProfile(input.constData(), size_t(input.size()));
    });
}

TEST(FuzzCorpus, CsvLine)
{
    replay("csvline", [](const QByteArray &input) {
        return checkCsvLine(input.constData(), size_t(input.size()));
    });
}

TEST(FuzzCorpus, DiscImage)
{
    replay("discimage", [](const QByteArray &input) {
        return checkDiscImage(input.constData(), size_t(input.size()));
    });
}

} // namespace
