// Installing the build: the programs side by side, the desktop entry and the themed icons.

#include "install_layout.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QMap>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {

QStringList listed(const char* commaSeparated) {
    return QString::fromUtf8(commaSeparated).split(QLatin1Char(','), Qt::SkipEmptyParts);
}

// The keys of the [Desktop Entry] group.
QMap<QString, QString> readDesktopEntry(const QString& path) {
    QFile file(path);
    QMap<QString, QString> entry;
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        return entry;
    }
    bool inGroup = false;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            inGroup = line == QStringLiteral("[Desktop Entry]");
        } else if (inGroup && line.contains(QLatin1Char('=')) &&
                   !line.startsWith(QLatin1Char('#'))) {
            const qsizetype at = line.indexOf(QLatin1Char('='));
            entry.insert(line.left(at).trimmed(), line.mid(at + 1).trimmed());
        }
    }
    return entry;
}

} // namespace

class InstallTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        QVERIFY(prefix_.isValid());
        QProcess install;
        install.setProcessChannelMode(QProcess::MergedChannels);
        install.start(QStringLiteral(TOLVANE_CMAKE_COMMAND),
                      {QStringLiteral("--install"), QStringLiteral(TOLVANE_BUILD_DIR),
                       QStringLiteral("--prefix"), prefix_.path()});
        QVERIFY(install.waitForFinished(120000));
        QVERIFY2(install.exitStatus() == QProcess::NormalExit && install.exitCode() == 0,
                 install.readAll().constData());
    }

    void programsLandSideBySide() {
        const QStringList programs = listed(TOLVANE_INSTALLED_PROGRAMS);
        QVERIFY(programs.contains(QStringLiteral("tolvane")));
        for (const QString& program : programs) {
            const QFileInfo installed(path(TOLVANE_INSTALL_BINDIR) + QLatin1Char('/') + program);
            QVERIFY2(installed.isFile() && installed.isExecutable(),
                     qPrintable(installed.filePath()));
        }
    }

    void desktopEntryStartsTolvaneWithItsIcon() {
        const QString file =
            path(TOLVANE_INSTALL_DATADIR) + QStringLiteral("/applications/tolvane.desktop");
        const QMap<QString, QString> entry = readDesktopEntry(file);
        QCOMPARE(entry.value(QStringLiteral("Type")), QStringLiteral("Application"));
        QCOMPARE(entry.value(QStringLiteral("Name")), QStringLiteral("Tolvane"));
        QCOMPARE(entry.value(QStringLiteral("Exec")), QStringLiteral("tolvane"));
        QCOMPARE(entry.value(QStringLiteral("Icon")), QStringLiteral("tolvane"));
        QCOMPARE(entry.value(QStringLiteral("Terminal")), QStringLiteral("false"));
        QVERIFY(!entry.value(QStringLiteral("Comment")).isEmpty());
        const QStringList categories =
            entry.value(QStringLiteral("Categories")).split(QLatin1Char(';'));
        QVERIFY(categories.contains(QStringLiteral("Game")));
        QVERIFY(categories.contains(QStringLiteral("Utility")));

        const QString validator =
            QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate"));
        if (validator.isEmpty()) {
            QSKIP("desktop-file-validate is not installed");
        }
        QProcess validate;
        validate.setProcessChannelMode(QProcess::MergedChannels);
        validate.start(validator, {file});
        QVERIFY(validate.waitForFinished(30000));
        // Hints are advice, such as that two main categories list the program twice, which is
        // meant: it is a utility for a game. Errors and warnings are not.
        QByteArrayList complaints;
        for (const QByteArray& line : validate.readAll().split('\n')) {
            if (!line.trimmed().isEmpty() && !line.contains(": hint: ")) {
                complaints << line;
            }
        }
        QVERIFY2(validate.exitCode() == 0 && complaints.isEmpty(),
                 complaints.join('\n').constData());
    }

    void iconThemeHoldsEverySize() {
        const QString hicolor = path(TOLVANE_INSTALL_DATADIR) + QStringLiteral("/icons/hicolor");
        for (const QString& size : listed(TOLVANE_ICON_SIZES)) {
            const QString file = QStringLiteral("%1/%2x%2/apps/tolvane.png").arg(hicolor, size);
            const QImage image(file);
            QVERIFY2(!image.isNull(), qPrintable(file));
            QCOMPARE(image.size(), QSize(size.toInt(), size.toInt()));
        }
        QFile svg(hicolor + QStringLiteral("/scalable/apps/tolvane.svg"));
        QVERIFY(svg.open(QIODevice::ReadOnly));
        QVERIFY(svg.readAll().contains("<svg"));
    }

private:
    QString path(const char* relative) const {
        return prefix_.filePath(QString::fromUtf8(relative));
    }

    QTemporaryDir prefix_;
};

QTEST_GUILESS_MAIN(InstallTest)
#include "test_install.moc"
