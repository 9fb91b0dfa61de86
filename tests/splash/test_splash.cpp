// The splash counts down two ticks of its timer, shows the main window while it is still up, and
// closes; nothing the user does hurries it.

#include "mainwindow/Form1Fixture.h"
#include "splash/frmSplash.h"
#ifndef _WIN32
#include "support/TempPrefix.h"
#endif

#include <QLabel>
#include <QPointer>
#include <QTest>
#include <QWindow>

using namespace tolvane;

class SplashTest : public QObject {
    Q_OBJECT
private slots:
    void handsOverToTheMainWindowOnItsSecondTick() {
#ifndef _WIN32
        test::TempPrefix prefix; // not the user's own game folder
#endif
        test::Form1Fixture fixture;
        int formsMade = 0;
        QPointer<frmSplash> splash = new frmSplash([&] {
            ++formsMade;
            return fixture.form.get();
        });
        splash->show();
        QVERIFY(QTest::qWaitForWindowExposed(splash));
        bool formUpAtClose = false;
        connect(splash->windowHandle(), &QWindow::visibleChanged, this,
                [&](bool visible) { formUpAtClose = !visible && fixture.form->isVisible(); });

        QTest::keyClick(splash, Qt::Key_Escape);
        QTest::keyClick(splash, Qt::Key_F4, Qt::AltModifier);
        QTest::mouseDClick(splash, Qt::LeftButton);
        QVERIFY(!splash->close());
        QCOMPARE(splash->Label9->text(), QStringLiteral("2"));
        QTRY_COMPARE_WITH_TIMEOUT(splash->Label9->text(), QStringLiteral("1"), 5000);
        QCOMPARE(formsMade, 0);
        QVERIFY(splash->isVisible());

        QTRY_VERIFY_WITH_TIMEOUT(splash.isNull(), 5000); // closed means unloaded
        QCOMPARE(formsMade, 1);
        QVERIFY(formUpAtClose);
        QVERIFY(fixture.form->isLoaded() && fixture.form->isVisible());
        QCOMPARE(fixture.endRequests, 0);
    }
};

QTEST_MAIN(SplashTest)
#include "test_splash.moc"
