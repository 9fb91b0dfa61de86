// Shows a whole session of Tolvane without a human: the program starts as usual (splash, then
// the main window on the demo game folder), and this driver does what a user would do with the
// mouse: queue the demo packages, Start a Compress job (pressing Esc while it runs and going on
// when asked whether to stop, then reading the warning about a result larger than its package),
// answer No, queue the results, Start a Decompress job, answer Yes. It saves a screenshot of
// every stage and prints each job's output.
//
// Usage: tolvane-demo-driver SCREENSHOT_FOLDER [GAME_FOLDER]
// (without a game folder, Tolvane finds the game as usual, WINEPREFIX naming the demo prefix)

#include "controls/DirListBox.h"
#include "controls/FileListBox.h"
#include "mainwindow/Form1.h"
#include "splash/Artwork.h"
#include "splash/frmSplash.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPainter>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTimer>

#include <cstdio>
#include <functional>

namespace {

QString gShots;
int gShotNumber = 0;

QPointer<tolvane::Form1> gForm;

// A picture of Tolvane at this moment: the main window with its message box on top, drawn from
// the windows themselves so that a folder window opened meanwhile does not hide them. Before
// the main window exists, or with `wholeScreen`, the whole virtual screen.
void screenshot(const char* what, bool wholeScreen = false) {
    QApplication::processEvents();
    const QString file = QStringLiteral("%1/%2-%3.png")
                             .arg(gShots)
                             .arg(++gShotNumber, 2, 10, QLatin1Char('0'))
                             .arg(QLatin1String(what));
    QPixmap picture;
    if (gForm && gForm->isVisible() && !wholeScreen) {
        picture = gForm->grab();
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            QPainter painter(&picture);
            const QPoint offset = box->geometry().topLeft() - gForm->geometry().topLeft();
            painter.drawPixmap(offset, box->grab());
        }
    } else if (QScreen* screen = QGuiApplication::primaryScreen()) {
        picture = screen->grabWindow(0);
    }
    if (!picture.isNull() && picture.save(file)) {
        std::printf("screenshot: %s\n", qPrintable(file));
    }
    std::fflush(stdout);
}

void after(int ms, std::function<void()> step) {
    QTimer::singleShot(ms, qApp, std::move(step));
}

// Queues every file of a game folder the way a user does: Quick Snap, select all, Add.
void queueFolder(tolvane::Form1* form, QAction* shortcut) {
    shortcut->trigger();
    form->File1->selectAll();
    form->KewlButtons1->click();
}

// Answers the question at the end of a job once it shows, after a screenshot of it.
void answerWhenAsked(tolvane::Form1* form, QMessageBox::StandardButton answer, const char* shot) {
    auto* poll = new QTimer(qApp);
    QObject::connect(poll, &QTimer::timeout, poll, [=] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible()) {
            return;
        }
        poll->stop();
        poll->deleteLater();
        std::printf("---- job output ----\n%s\n---- question: %s ----\n%s\n",
                    qPrintable(form->txtOutput->toPlainText()), qPrintable(box->windowTitle()),
                    qPrintable(box->text()));
        screenshot(shot);
        std::printf("answer: %s\n", answer == QMessageBox::Yes ? "Yes" : "No");
        std::fflush(stdout);
        box->button(answer)->click();
    });
    poll->start(100);
}

void decompressStage(tolvane::Form1* form) {
    queueFolder(form, form->mnuComp);
    form->Option2->setChecked(true);
    screenshot("decompress-queued");
    answerWhenAsked(form, QMessageBox::Yes, "decompress-finished");
    // Yes ends the program inside this call, as it does for the user.
    form->KewlButtons2->click();
}

// Closes the next box of this title once it shows, after a screenshot of it.
void closeBoxWhenShown(const char* title, QMessageBox::StandardButton button, const char* shot,
                       std::function<void()> then = {}) {
    auto* poll = new QTimer(qApp);
    QObject::connect(poll, &QTimer::timeout, poll, [=] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible() || box->windowTitle() != QLatin1String(title)) {
            return;
        }
        poll->stop();
        poll->deleteLater();
        std::printf("---- %s ----\n%s\n", title, qPrintable(box->text()));
        screenshot(shot);
        if (then) {
            then();
        }
        box->button(button)->click();
    });
    poll->start(20);
}

// While the job runs: a picture of its progress, then Esc, which asks whether to stop; the
// driver goes on. Then the warning about results not smaller than their packages is read.
void watchCompressJob(tolvane::Form1* form) {
    auto* watch = new QTimer(qApp);
    QObject::connect(watch, &QTimer::timeout, watch, [=] {
        if (form->ProgressBar1->isVisible() && form->ProgressBar1->value() >= 2) {
            watch->stop();
            watch->deleteLater();
            screenshot("compress-progress");
            closeBoxWhenShown("Stop", QMessageBox::No, "stop-question");
            QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
            QApplication::sendEvent(form, &escape);
        }
    });
    watch->start(5);
    closeBoxWhenShown("Warning", QMessageBox::Ok, "larger-warning",
                      [form] { answerWhenAsked(form, QMessageBox::No, "compress-finished"); });
}

void compressStage(tolvane::Form1* form) {
    screenshot("main-window");
    for (QAction* folder : {form->mnuMaps, form->mnuMusic, form->mnuSounds, form->mnuTexs}) {
        queueFolder(form, folder);
    }
    screenshot("compress-queued");
    watchCompressJob(form);
    form->KewlButtons2->click(); // returns when the job has ended and No was answered
    after(1500, [form] {
        screenshot("results-window", true);
        screenshot("back-to-browser");
        // The job's output once more, then Esc back to the browser.
        form->mnuLastOutput->trigger();
        screenshot("last-output");
        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(form, &escape);
        decompressStage(form);
    });
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: tolvane-demo-driver SCREENSHOT_FOLDER [GAME_FOLDER]\n");
        return 2;
    }
    gShots = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(gShots);
    QApplication::setApplicationName(QStringLiteral("Tolvane"));
    tolvane::useProgramIcon();

    tolvane::Form1::Services services;
    if (argc > 2) {
        services.namedFolder = argv[2];
    }
    QPointer<tolvane::frmSplash> splash =
        new tolvane::frmSplash([services] { return new tolvane::Form1(services); });
    splash->show();
    after(600, [] { screenshot("splash"); });

    auto* waitForMainWindow = new QTimer(&app);
    QObject::connect(waitForMainWindow, &QTimer::timeout, waitForMainWindow, [=] {
        QPointer<tolvane::Form1> form;
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (auto* f = qobject_cast<tolvane::Form1*>(w); f && f->isVisible()) {
                form = f;
            }
        }
        if (form && form->isVisible()) {
            waitForMainWindow->stop();
            gForm = form;
            after(800, [form] { compressStage(form); });
        }
    });
    waitForMainWindow->start(100);
    return QApplication::exec();
}
