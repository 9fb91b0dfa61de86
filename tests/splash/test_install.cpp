// Installing the build: the programs side by side, a valid desktop entry and the themed icons.

#include "install_layout.h"

#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

class InstallTest : public QObject {
    Q_OBJECT
    QTemporaryDir prefix_;
    QString path(const QString& relative) const { return prefix_.filePath(relative); }

private slots:
    void initTestCase() {
        QProcess install;
        install.setProcessChannelMode(QProcess::MergedChannels);
        install.start(TOLVANE_CMAKE_COMMAND,
                      {"--install", TOLVANE_BUILD_DIR, "--prefix", prefix_.path()});
        QVERIFY(install.waitForFinished(120000));
        QVERIFY2(install.exitCode() == 0, install.readAll().constData());
    }

    void programsLandSideBySide() {
        for (const QString& program : QString(TOLVANE_INSTALLED_PROGRAMS).split(',')) {
            QVERIFY2(QFileInfo(path(TOLVANE_INSTALL_BINDIR "/" + program)).isExecutable(),
                     qPrintable(program));
        }
    }

    void desktopEntryStartsTolvaneWithItsIcon() {
        const QString entry = path(TOLVANE_INSTALL_DATADIR "/applications/tolvane.desktop");
        QFile file(entry);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArrayList lines = file.readAll().split('\n');
        QVERIFY(lines.contains("Exec=tolvane %f") && lines.contains("Icon=tolvane"));
        const QString validator = QStandardPaths::findExecutable("desktop-file-validate");
        if (validator.isEmpty()) {
            QSKIP("desktop-file-validate is not installed");
        }
        QProcess validate;
        validate.setProcessChannelMode(QProcess::MergedChannels);
        validate.start(validator, {entry});
        QVERIFY(validate.waitForFinished(30000));
        // Hints are advice (that two main categories list it twice is meant); others are not.
        for (const QByteArray& line : validate.readAll().split('\n')) {
            QVERIFY2(line.isEmpty() || line.contains(": hint: "), line.constData());
        }
        QCOMPARE(validate.exitCode(), 0);
    }

    void iconThemeHoldsEverySize() {
        const QString hicolor = path(TOLVANE_INSTALL_DATADIR "/icons/hicolor/");
        for (const QString& size : QString(TOLVANE_ICON_SIZES).split(',')) {
            const QImage image(hicolor + size + 'x' + size + "/apps/tolvane.png");
            QCOMPARE(image.size(), QSize(size.toInt(), size.toInt()));
        }
        QVERIFY(QFileInfo(hicolor + "scalable/apps/tolvane.svg").size() > 0);
    }
};

QTEST_GUILESS_MAIN(InstallTest)
#include "test_install.moc"
