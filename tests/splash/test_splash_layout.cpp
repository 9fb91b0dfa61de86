// What the splash shows: its window, labels, texts, fonts and pictures, and the program's icon.

#include "mainwindow/Form1Fixture.h"
#include "splash/Artwork.h"
#include "splash/frmSplash.h"
#include "support/TempPrefix.h"

#include <QApplication>
#include <QFontDatabase>
#include <QFontInfo>
#include <QLabel>
#include <QScreen>
#include <QTest>

using namespace tolvane;

namespace {

bool hasEverySize(const QIcon& icon) {
    for (int size : programIconSizes()) {
        if (!icon.availableSizes().contains(QSize(size, size))) {
            return false;
        }
    }
    return true;
}

} // namespace

class SplashLayoutTest : public QObject {
    Q_OBJECT
private slots:
    void windowIsWhiteWithoutTitleBarAndCentredAndShowsItsLabelsAndLogo() {
        frmSplash splash;
        splash.setAttribute(Qt::WA_DeleteOnClose, false);
        splash.show();
        QCOMPARE(splash.objectName(), QStringLiteral("frmSplash"));
        QVERIFY(splash.windowFlags() & Qt::FramelessWindowHint);
        QVERIFY(splash.windowTitle().isEmpty());
        QCOMPARE(splash.contentsRect().size(), QSize(492, 283)); // 7380 by 4245 twips
        QCOMPARE(splash.frameGeometry().center(), splash.screen()->availableGeometry().center());
        QCOMPARE(splash.Frame1->palette().color(QPalette::Window), QColor(Qt::white));
        QVERIFY(splash.Frame1->autoFillBackground());
        QVERIFY(hasEverySize(splash.windowIcon()));
        // The logo is stretched over its box.
        QCOMPARE(splashLogo().size(), QSize(90, 88));
        QCOMPARE(splash.imgLogo->pixmap().size(), QSize(90, 88));
        QVERIFY(splash.imgLogo->hasScaledContents());
        QCOMPARE(splash.imgLogo->size(), QSize(121, 159)); // 1815 by 2385 twips

        // The labels hold their texts and only the countdown is hidden.
        const struct {
            const char* name;
            const char* text;
            bool visible;
        } labels[] = {
            {"Label9", "2", false},
            {"Label8", "Closing in.........", false},
            {"lblVersion", "Version 1.0 Beta", true},
            {"lblPlatform", "95, 98, 2k, NT, XP", true},
            {"lblProductName", "Tolvane", true},
        };
        for (const auto& expected : labels) {
            auto* label = splash.Frame1->findChild<QLabel*>(QString::fromLatin1(expected.name));
            QVERIFY2(label, expected.name);
            QCOMPARE(label->text(), QString::fromLatin1(expected.text));
            QCOMPARE(label->isVisible(), expected.visible);
        }
        // Version and platforms share a right edge, whatever the width of their text.
        QVERIFY(splash.lblVersion->alignment() & Qt::AlignRight);
        QVERIFY(splash.lblPlatform->alignment() & Qt::AlignRight);
        QCOMPARE(splash.lblVersion->geometry().right(), splash.lblPlatform->geometry().right());
        QVERIFY(splash.lblPlatform->geometry().bottom() < splash.lblVersion->geometry().top());
        // Every label fits inside the frame and shows its whole text.
        for (QLabel* label : {splash.lblVersion, splash.lblPlatform, splash.lblProductName}) {
            QVERIFY(splash.Frame1->rect().contains(label->geometry()));
            QVERIFY(label->width() >= label->sizeHint().width());
        }
        QCOMPARE(splash.lblProductName->palette().color(QPalette::WindowText), QColor(0, 0, 255));
    }

    void labelFontsAreArialOrItsMetricTwin() {
        frmSplash splash;
        splash.setAttribute(Qt::WA_DeleteOnClose, false);
        const struct {
            QLabel* label;
            double points;
            bool bold, italic, underline;
        } fonts[] = {
            {splash.lblVersion, 12, true, false, false},
            {splash.lblPlatform, 9.75, true, false, false},
            {splash.lblProductName, 32.25, false, true, true},
        };
        const QStringList installed = QFontDatabase::families();
        const bool metricFontInstalled = installed.contains(QStringLiteral("Arial")) ||
                                         installed.contains(QStringLiteral("Liberation Sans"));
        for (const auto& expected : fonts) {
            const QFont font = expected.label->font();
            QCOMPARE(font.families().value(0), QStringLiteral("Arial"));
            QCOMPARE(font.families().value(1), QStringLiteral("Liberation Sans"));
            QCOMPARE(font.pointSizeF(), expected.points);
            QCOMPARE(font.bold(), expected.bold);
            QCOMPARE(font.italic(), expected.italic);
            QCOMPARE(font.underline(), expected.underline);
            if (metricFontInstalled) {
                const QString used = QFontInfo(font).family();
                QVERIFY2(used == QStringLiteral("Arial") ||
                             used == QStringLiteral("Liberation Sans"),
                         qPrintable(used));
            }
        }
        if (!metricFontInstalled) {
            qWarning("Neither Arial nor Liberation Sans is installed; resolved fonts not checked");
        }
    }

    void bothWindowsCarryTheProgramIcon() {
        QCOMPARE(programIcon().pixmap(QSize(16, 16)).size(), QSize(16, 16)); // built in, loadable
        useProgramIcon();
        test::TempPrefix prefix;
        test::Form1Fixture f;
        QVERIFY(hasEverySize(f.form->windowIcon()));
        QApplication::setWindowIcon(QIcon());
    }
};

QTEST_MAIN(SplashLayoutTest)
#include "test_splash_layout.moc"
