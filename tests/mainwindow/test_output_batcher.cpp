// The output batcher: text after a quiet moment goes out at once, a burst goes out together
// within the interval, and nothing is lost, doubled or reordered.

#include "mainwindow/OutputBatcher.h"

#include <QTest>

using namespace tolvane;
using namespace std::chrono_literals;

class OutputBatcherTest : public QObject {
    Q_OBJECT
private slots:
    void deliversAtOnceAfterQuietAndGathersABurst() {
        QStringList delivered;
        OutputBatcher batcher(300ms, [&](const QString& text) { delivered << text; });
        batcher.add(QStringLiteral("first\n"));
        QCOMPARE(delivered, QStringList{QStringLiteral("first\n")});
        batcher.add(QStringLiteral("a"));
        batcher.add(QString());
        batcher.add(QStringLiteral("b"));
        QCOMPARE(delivered.size(), 1);
        QVERIFY(batcher.holding());
        QTRY_COMPARE_WITH_TIMEOUT(delivered.size(), 2, 2000);
        QCOMPARE(delivered[1], QStringLiteral("ab"));
        QVERIFY(!batcher.holding());

        QTest::qWait(400); // quiet again: the next piece is not held
        batcher.add(QStringLiteral("c"));
        QCOMPARE(delivered.size(), 3);
    }

    void flushDeliversNowAndDiscardForgets() {
        QStringList delivered;
        OutputBatcher batcher(1000ms, [&](const QString& text) { delivered << text; });
        batcher.add(QStringLiteral("x"));
        batcher.add(QStringLiteral("y"));
        batcher.flush();
        QCOMPARE(delivered, (QStringList{QStringLiteral("x"), QStringLiteral("y")}));
        batcher.flush(); // nothing held, nothing delivered
        QCOMPARE(delivered.size(), 2);

        batcher.add(QStringLiteral("stale"));
        batcher.discard();
        QTest::qWait(30);
        batcher.flush();
        QCOMPARE(delivered.size(), 2);
    }
};

QTEST_GUILESS_MAIN(OutputBatcherTest)
#include "test_output_batcher.moc"
