// The splash's countdown: two ticks, then the main window, and nothing can hurry it.

#include "mainwindow/Form1Fixture.h"
#include "splash/frmSplash.h"
#include "support/TempPrefix.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QPointer>
#include <QTest>
#include <QTimer>

using namespace tolvane;

namespace {

// A shown splash whose main window is a test one, with a count of how often it was asked for
// and a record of whether the main window was already up when the splash closed.
struct SplashUnderTest : QObject {
    SplashUnderTest() {
        splash = new frmSplash([this] {
            ++formsMade;
            return fixture.form.get();
        });
        splashObject = splash;
        splash->installEventFilter(this);
        splash->show();
    }
    ~SplashUnderTest() override { delete splash.data(); }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == splashObject && event->type() == QEvent::Close) {
            ++closeEvents;
            formVisibleAtClose = fixture.form->isVisible() && fixture.form->isLoaded();
        }
        return false;
    }

    test::TempPrefix prefix;
    test::Form1Fixture fixture;
    Form1& form = *fixture.form;
    QPointer<frmSplash> splash;
    QObject* splashObject =
        nullptr; // compared only: the filter also sees the splash being destroyed
    int formsMade = 0;
    int closeEvents = 0;
    bool formVisibleAtClose = false;
};

} // namespace

class SplashCountdownTest : public QObject {
    Q_OBJECT
private slots:
    void handsOverOnTheSecondTickWithTheMainWindowAlreadyUp() {
        SplashUnderTest s;
        QCOMPARE(s.splash->Label9->text(), QStringLiteral("2"));
        QVERIFY(s.splash->Timer1->isActive());
        QCOMPARE(s.splash->Timer1->interval(), 1000);

        s.splash->Timer1_Timer();
        QCOMPARE(s.splash->Label9->text(), QStringLiteral("1"));
        QCOMPARE(s.formsMade, 0);
        QVERIFY(!s.form.isVisible());
        QVERIFY(s.splash->isVisible());

        s.splash->Timer1_Timer();
        QCOMPARE(s.splash->Label9->text(), QStringLiteral("0"));
        QCOMPARE(s.formsMade, 1);
        QVERIFY(s.form.isLoaded());
        QVERIFY(s.form.isVisible());
        QCOMPARE(s.closeEvents, 1);
        QVERIFY(s.formVisibleAtClose);
        QVERIFY(!s.splash->isVisible());
        QVERIFY(!s.splash->Timer1->isActive()); // no third tick
        QCOMPARE(s.fixture.endRequests, 0);

        // Closed means unloaded: the window is gone once the event loop gets to it.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(s.splash.isNull());
    }

    void keysClicksAndCloseRequestsDoNotHurryIt() {
        SplashUnderTest s;
        for (int key : {Qt::Key_Space, Qt::Key_Return, Qt::Key_Escape, Qt::Key_0}) {
            QTest::keyClick(s.splash, Qt::Key(key));
        }
        QTest::keyClick(s.splash, Qt::Key_F4, Qt::AltModifier);
        QTest::mouseClick(s.splash, Qt::LeftButton);
        QTest::mouseDClick(s.splash->lblProductName, Qt::LeftButton);
        QTest::mouseClick(s.splash->imgLogo, Qt::RightButton);
        QVERIFY(!s.splash->close());

        QCOMPARE(s.splash->Label9->text(), QStringLiteral("2"));
        QCOMPARE(s.formsMade, 0);
        QVERIFY(s.splash->isVisible());
        QVERIFY(s.splash->Timer1->isActive());

        // The countdown itself still runs its course.
        s.splash->Timer1_Timer();
        s.splash->Timer1_Timer();
        QCOMPARE(s.formsMade, 1);
        QVERIFY(!s.splash->isVisible());
    }

    void theRealTimerHandsOverAfterTwoSecondsAndThenStops() {
        SplashUnderTest s;
        s.splash->setAttribute(Qt::WA_DeleteOnClose, false); // keep it to watch its countdown
        QElapsedTimer clock;
        clock.start();
        QTRY_VERIFY_WITH_TIMEOUT(s.form.isVisible(), 5000);
        QVERIFY2(clock.elapsed() >= 1900, qPrintable(QString::number(clock.elapsed())));
        QVERIFY(s.formVisibleAtClose);

        QTest::qWait(1300); // long enough for another tick, if one were coming
        QCOMPARE(s.splash->Label9->text(), QStringLiteral("0"));
        QCOMPARE(s.formsMade, 1);
        QCOMPARE(s.closeEvents, 1);
    }
};

QTEST_MAIN(SplashCountdownTest)
#include "test_splash_countdown.moc"
