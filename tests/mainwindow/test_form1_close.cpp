// Closing the main window ends the process at once, even from a nested event loop.

#include <QProcess>
#include <QTest>

class Form1CloseTest : public QObject {
    Q_OBJECT
private slots:
    void endsTheProcessAtOnce_data() {
        QTest::addColumn<QString>("how");
        QTest::newRow("window close") << QString();
        QTest::newRow("exit button") << QStringLiteral("exit");
    }
    void endsTheProcessAtOnce() {
        QFETCH(QString, how);
        QProcess probe;
        probe.setProcessChannelMode(QProcess::MergedChannels);
        QStringList args;
        if (!how.isEmpty()) {
            args << how;
        }
        probe.start(QCoreApplication::applicationDirPath() + "/form1_close_probe", args);
        QVERIFY(probe.waitForFinished(30000));
        const QByteArray output = probe.readAll();
        QCOMPARE(probe.exitStatus(), QProcess::NormalExit);
        QCOMPARE(probe.exitCode(), 0);
        QVERIFY2(output.trimmed().isEmpty() || !output.contains("ran"), output.constData());
        QVERIFY2(!output.contains("returned"), output.constData());
    }
};

QTEST_GUILESS_MAIN(Form1CloseTest)
#include "test_form1_close.moc"
