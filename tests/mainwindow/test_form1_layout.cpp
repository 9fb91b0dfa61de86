// What the main window holds before anything is loaded: controls, captions, menus, views.

#include "controls/DirListBox.h"
#include "controls/DriveListBox.h"
#include "controls/FileListBox.h"
#include "mainwindow/Form1Fixture.h"

#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSet>
#include <QTest>

using namespace tolvane;

namespace {
QStringList captionsOf(QMenu* menu) {
    QStringList out;
    for (QAction* action : menu->actions()) {
        out << (action->isSeparator() ? QStringLiteral("-") : action->text());
    }
    return out;
}
QStringList namesOf(QMenu* menu) {
    QStringList out;
    for (QAction* action : menu->actions()) {
        out << action->objectName();
    }
    return out;
}
} // namespace

class Form1LayoutTest : public QObject {
    Q_OBJECT
private slots:
    void controlsCarryTheirNamesAndCaptions() {
        test::Form1Fixture f;
        Form1& form = *f.form;
        QCOMPARE(form.windowTitle(), QStringLiteral("Tolvane"));
        const char* names[] = {"List1",        "Frame1",      "Option1",   "Option2",
                               "Label1(0)",    "Label1(1)",   "Drive1",    "File1",
                               "Dir1",         "List2",       "txtOutput", "KewlButtons1",
                               "KewlButtons2", "KewlButtons3"};
        for (const char* name : names) {
            QVERIFY2(form.findChild<QWidget*>(QString::fromLatin1(name)), name);
        }
        QCOMPARE(form.Frame1->title(), QStringLiteral("Options"));
        QVERIFY(form.Frame1->font().bold());
        QCOMPARE(form.Label1[0]->text(), QStringLiteral("Compress"));
        QCOMPARE(form.Label1[1]->text(), QStringLiteral("Decompress"));
        QCOMPARE(form.Option1->text(), QStringLiteral("Option1"));
        QCOMPARE(form.KewlButtons1->text(), QStringLiteral("&Add Selected Items"));
        QCOMPARE(form.KewlButtons2->text(), QStringLiteral("&Start"));
        QCOMPARE(form.KewlButtons3->text(), QStringLiteral("&Exit"));
        QCOMPARE(form.txtOutput->toPlainText(), QStringLiteral("Text1"));
        QCOMPARE(form.File1->selectionMode(), QAbstractItemView::ExtendedSelection);
        QCOMPARE(form.List1->selectionMode(), QAbstractItemView::SingleSelection);
        // The mode is not chosen until the window is loaded.
        QVERIFY(!form.Option1->isChecked() && !form.Option2->isChecked());
    }

    void windowHasAFixedSizeAndHidesNameListOutsideIt() {
        test::Form1Fixture f;
        f.form->show();
        QWidget* client = f.form->centralWidget();
        QCOMPARE(client->size(), QSize(593, 469));
        QVERIFY(!client->rect().intersects(f.form->List2->geometry()));
        QVERIFY(client->rect().contains(f.form->List1->geometry()));
        QVERIFY(f.form->minimumSize() == f.form->maximumSize());
        QVERIFY(!(f.form->windowFlags() & Qt::WindowMaximizeButtonHint));
    }

    void labelsSelectNothing() {
        test::Form1Fixture f;
        f.form->show();
        QTest::mouseClick(f.form->Label1[1], Qt::LeftButton);
        QVERIFY(!f.form->Option2->isChecked());
        QTest::mouseClick(f.form->Option2, Qt::LeftButton);
        QVERIFY(f.form->Option2->isChecked());
        QTest::mouseClick(f.form->Option1, Qt::LeftButton);
        QVERIFY(f.form->Option1->isChecked() && !f.form->Option2->isChecked());
    }

    void menuBarOffersThreeMenusInTheirOwnOrders() {
        test::Form1Fixture f;
        QStringList bar;
        for (QAction* action : f.form->menuBar()->actions()) {
            bar << action->text();
        }
        QCOMPARE(bar, (QStringList{"&Options", "&Quick Snap", "Open Folder"}));
        QCOMPARE(captionsOf(f.form->mnuOptions), QStringList{"Open Folder after Compile"});
        QVERIFY(f.form->mnuOpen->isCheckable() && f.form->mnuOpen->isChecked());
        QCOMPARE(captionsOf(f.form->mnuQuick),
                 (QStringList{"Maps", "System", "Textures", "Sounds", "Music", "-", "Compressed",
                              "Decompressed"}));
        QCOMPARE(namesOf(f.form->mnuQuick),
                 (QStringList{"mnuMaps", "mnuSystem", "mnuTexs", "mnuSounds", "mnuMusic", "sep",
                              "mnuComp", "mnuDecomp"}));
        QCOMPARE(captionsOf(f.form->mnuOpenFolder),
                 (QStringList{"Maps", "Textures", "Sounds", "System", "Music", "-", "Compressed",
                              "Decompressed"}));
        QCOMPARE(namesOf(f.form->mnuOpenFolder),
                 (QStringList{"mnuopMaps", "mnuopTextures", "mnuopSounds", "mnuopSystem",
                              "mnuopMusic", "sep1", "mnuopComp", "mnuopDecomp"}));
        QCOMPARE(f.form->mnuPopup->title(), QStringLiteral("Edit"));
        QCOMPARE(namesOf(f.form->mnuPopup), QStringList{"mnuDelete"});
        for (QMenu* menu :
             {f.form->mnuOptions, f.form->mnuQuick, f.form->mnuOpenFolder, f.form->mnuPopup}) {
            for (QAction* action : menu->actions()) {
                QVERIFY(action->shortcut().isEmpty());
            }
        }
    }

    void switchesBetweenTheTwoViews() {
        test::Form1Fixture f;
        Form1& form = *f.form;
        form.show();
        QWidget* browser[] = {
            form.Dir1,      form.Frame1,    form.KewlButtons1, form.KewlButtons2, form.KewlButtons3,
            form.Label1[0], form.Label1[1], form.List1,        form.Drive1,       form.File1};
        auto browserShown = [&](bool shown) {
            for (QWidget* w : browser) {
                QVERIFY2(w->isVisible() == shown, qPrintable(w->objectName()));
            }
            QCOMPARE(form.List2->isHidden(), !shown);
        };
        browserShown(true);
        QVERIFY(!form.txtOutput->isVisible());
        form.showOutputView();
        browserShown(false);
        QVERIFY(form.txtOutput->isVisible());
        form.showBrowserView();
        browserShown(true);
    }

    void tabOrderFollowsTheDesign() {
        test::Form1Fixture f;
        Form1& form = *f.form;
        QWidget* expected[] = {form.txtOutput,    form.List2,        form.Dir1,        form.File1,
                               form.Drive1,       form.Option2,      form.Option1,     form.List1,
                               form.KewlButtons1, form.KewlButtons2, form.KewlButtons3};
        const QSet<QWidget*> named(std::begin(expected), std::end(expected));
        for (std::size_t i = 0; i + 1 < std::size(expected); ++i) {
            // Skip the inner parts of a control (scroll area viewports and the like).
            QWidget* next = expected[i]->nextInFocusChain();
            while (!named.contains(next)) {
                next = next->nextInFocusChain();
            }
            QCOMPARE(next, expected[i + 1]);
        }
    }
};

QTEST_MAIN(Form1LayoutTest)
#include "test_form1_layout.moc"
