// Pictures of the main frame for a look by eye (not a test): frameshots FILE.png. Run it on a
// real display (xvfb-run at the screen size to check): the picture is the whole screen, so
// that what falls off the screen's edge shows.
#include "guidatafixture.h"

#include "platform/profile/profile.h"
#include "ui/frame/mainframe.h"
#include "ui/frame/splashwindow.h"

#include <QScreen>
#include <QStatusBar>

using namespace melodex;

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QString file = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("frame.png");
    test::GuiDataFixture data;
    data.setUp();
    // frameshots FILE X Y WIDTH HEIGHT [Yes]: as if the frame had been left there last time.
    if (argc > 5) {
        const char *keys[] = {"XPosit", "YPosit", "Width", "Height"};
        for (int i = 0; i < 4; ++i)
            Profile::writeInt(WindowStateIni, QStringLiteral("Main"), QLatin1String(keys[i]),
                              QString::fromLocal8Bit(argv[2 + i]).toInt());
        Profile::writeString(WindowStateIni, QStringLiteral("Main"), QStringLiteral("Maximize"),
                             argc > 6 ? QStringLiteral("Yes") : QStringLiteral("No"));
    }
    {
        MainFrame frame;
        frame.show();
        QTest::qWait(1500);
        if (frame.splash())
            frame.splash()->close();
        frame.statusBar()->showMessage(QStringLiteral("Browse Songlore Database"));
        QTest::qWait(500);
        QGuiApplication::primaryScreen()->grabWindow(0).save(file);
    }
    data.tearDown();
    return 0;
}
