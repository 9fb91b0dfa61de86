#include "mainwindow/Form1.h"

#include "controls/DirListBox.h"
#include "controls/DriveListBox.h"
#include "controls/FileListBox.h"
#include "mainwindow/OutputBatcher.h"
#include "mainwindow/Twips.h"
#include "ui/QtMessageBoxes.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFont>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QListWidget>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>

#include <cstdio>
#include <memory>
#include <unistd.h>

namespace tolvane {

namespace {

// The colour of the application workspace in the classic Windows scheme.
const QColor kWorkspaceColour(171, 171, 171);
const QColor kButtonFace(236, 233, 216);

// List entries that sort alphabetically without regard to letter case.
class CaseInsensitiveItem : public QListWidgetItem {
public:
    using QListWidgetItem::QListWidgetItem;
    bool operator<(const QListWidgetItem& other) const override {
        return text().compare(other.text(), Qt::CaseInsensitive) < 0;
    }
};

QFont sansSerif(double points, bool bold) {
    QFont font;
    font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Microsoft Sans Serif"),
                      QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

void paintBackground(QWidget* widget, const QColor& colour) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, colour);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

} // namespace

QListWidgetItem* makeSortedItem(const QString& text) {
    return new CaseInsensitiveItem(text);
}

Form1::Form1() : Form1(Services{}) {}

Form1::Form1(Services services) : services_(std::move(services)) {
    if (services_.messages) {
        messages_ = services_.messages;
    } else {
        ownMessages_ = std::make_unique<QtMessageBoxes>(this);
        messages_ = ownMessages_.get();
    }
    if (!services_.endProgram) {
        services_.endProgram = [] {
            std::fflush(nullptr);
            ::_exit(0);
        };
    }
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Tolvane"));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    buildControls();
    buildMenus();
    setTabOrder();
    connectBrowser();

    // Command runner: while a job runs, pending events are processed between reads. A busy job
    // gives many short reads a millisecond, and processing events costs more than a read: every
    // few milliseconds is as responsive to a person, and spares a big job that overhead. The
    // runner calls its handlers through copies, so the time of the last yield lives outside the
    // handler: kept in the handler itself, every copy would start afresh and yield every time.
    ReadOutput1.yield = [lastYield = std::make_shared<QElapsedTimer>()] {
        constexpr qint64 kYieldEveryMs = 4;
        if (!lastYield->isValid() || lastYield->hasExpired(kYieldEveryMs)) {
            QCoreApplication::processEvents();
            lastYield->start();
        }
    };

    connectShortcuts();
    connectJob();
    buildJobExtras();
    buildToolMenu();
    buildGameFolderMenu();
    buildRedirectMenu();
    layout()->setSizeConstraint(QLayout::SetFixedSize); // the user cannot resize the window
}

Form1::~Form1() = default;

void Form1::buildControls() {
    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    paintBackground(client, kWorkspaceColour);
    client->setFixedSize(twips(8895), twips(7035));
    setCentralWidget(client);

    // Created back to front, so later controls lie above earlier ones.
    List1 = new QListWidget(client);
    List1->setObjectName(QStringLiteral("List1"));
    List1->setGeometry(twipsRect(3300, 3960, 5475, 2400));
    List1->setSortingEnabled(true);
    List1->setSelectionMode(QAbstractItemView::SingleSelection);

    buildModeFrame(client);
    buildBrowser(client);

    List2 = new QListWidget(client);
    List2->setObjectName(QStringLiteral("List2"));
    List2->setGeometry(twipsRect(9120, 5760, 2055, 2400)); // outside the client area

    txtOutput = new QPlainTextEdit(QStringLiteral("Text1"), client);
    txtOutput->setObjectName(QStringLiteral("txtOutput"));
    txtOutput->setAccessibleName(QStringLiteral("Job output"));
    txtOutput->setGeometry(twipsRect(120, 120, 8655, 6795));
    txtOutput->setLineWrapMode(QPlainTextEdit::NoWrap);
    // Tool output is plain text: laying it out without kerning and ligatures costs a fraction,
    // and a big job's output scrolls by in thousands of lines.
    QFont plainText = txtOutput->font();
    plainText.setStyleStrategy(QFont::PreferNoShaping);
    txtOutput->setFont(plainText);
    txtOutput->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    txtOutput->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    txtOutput->setVisible(false);

    buildButtons(client);
}

void Form1::buildModeFrame(QWidget* client) {
    Frame1 = new QGroupBox(QStringLiteral("Options"), client);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setGeometry(twipsRect(3300, 3180, 5475, 675));
    Frame1->setFont(sansSerif(9.75, true));
    paintBackground(Frame1, kWorkspaceColour);

    Option1 = new QRadioButton(QStringLiteral("Option1"), Frame1);
    Option1->setObjectName(QStringLiteral("Option1"));
    Option2 = new QRadioButton(QStringLiteral("Option2"), Frame1);
    Option2->setObjectName(QStringLiteral("Option2"));
    // Only the round mark shows; the labels beside it carry the words.
    const int markSize =
        std::max(twips(195), Option1->style()->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth) + 2);
    Option1->setGeometry(twips(720), twips(300) - 2, markSize, markSize);
    Option2->setGeometry(twips(3000), twips(300) - 2, markSize, markSize);
    Option1->setFont(font());
    Option2->setFont(font());
    Option1->setAccessibleName(QStringLiteral("Compress"));
    Option2->setAccessibleName(QStringLiteral("Decompress"));

    const QString captions[2] = {QStringLiteral("Compress"), QStringLiteral("Decompress")};
    const int lefts[2] = {1020, 3300};
    for (int i = 0; i < 2; ++i) {
        Label1[i] = new QLabel(captions[i], Frame1);
        Label1[i]->setObjectName(QStringLiteral("Label1(%1)").arg(i));
        Label1[i]->setFont(sansSerif(12, true));
        Label1[i]->move(twips(lefts[i]), twips(240) - 3);
        Label1[i]->adjustSize(); // sizes itself to its text
        Label1[i]->setAttribute(Qt::WA_TranslucentBackground);
    }
}

void Form1::buildBrowser(QWidget* client) {
    Drive1 = new DriveListBox(client);
    Drive1->setObjectName(QStringLiteral("Drive1"));
    Drive1->setGeometry(twipsRect(120, 120, 8655, 315));

    File1 = new FileListBox(client);
    File1->setObjectName(QStringLiteral("File1"));
    File1->setGeometry(twipsRect(120, 3180, 3135, 3210));

    Dir1 = new DirListBox(client);
    Dir1->setObjectName(QStringLiteral("Dir1"));
    Dir1->setGeometry(twipsRect(120, 540, 8655, 2565));
}

void Form1::buildButtons(QWidget* client) {
    struct ButtonDesign {
        QPushButton** button;
        QString name;
        QString caption;
        int left, width;
    };
    const ButtonDesign buttons[] = {
        {&KewlButtons1, QStringLiteral("KewlButtons1"), QStringLiteral("&Add Selected Items"), 120,
         3135},
        {&KewlButtons2, QStringLiteral("KewlButtons2"), QStringLiteral("&Start"), 3300, 2715},
        {&KewlButtons3, QStringLiteral("KewlButtons3"), QStringLiteral("&Exit"), 6060, 2715},
    };
    for (const auto& design : buttons) {
        auto* button = new QPushButton(design.caption, client);
        button->setObjectName(design.name);
        button->setGeometry(twipsRect(design.left, 6540, design.width, 375));
        button->setFont(sansSerif(8.25, false));
        QPalette palette = button->palette();
        palette.setColor(QPalette::Button, kButtonFace);
        palette.setColor(QPalette::ButtonText, Qt::black);
        button->setPalette(palette);
        button->setAutoDefault(false);
        *design.button = button;
    }
    KewlButtons2->setDefault(true); // Enter starts the job; Esc leaves
}

void Form1::buildMenus() {
    auto addItem = [this](QMenu* menu, const char* name, const char* caption) {
        QAction* action = menu->addAction(QString::fromLatin1(caption));
        action->setObjectName(QString::fromLatin1(name));
        return action;
    };
    auto addSeparator = [](QMenu* menu, const char* name) {
        QAction* action = menu->addSeparator();
        action->setObjectName(QString::fromLatin1(name));
        return action;
    };

    mnuOptions = menuBar()->addMenu(QStringLiteral("&Options"));
    mnuOptions->setObjectName(QStringLiteral("mnuOptions"));
    mnuOpen = addItem(mnuOptions, "mnuOpen", "Open Folder after Compile");
    mnuOpen->setCheckable(true);
    mnuOpen->setChecked(true);

    mnuQuick = menuBar()->addMenu(QStringLiteral("&Quick Snap"));
    mnuQuick->setObjectName(QStringLiteral("mnuQuick"));
    mnuMaps = addItem(mnuQuick, "mnuMaps", "Maps");
    mnuSystem = addItem(mnuQuick, "mnuSystem", "System");
    mnuTexs = addItem(mnuQuick, "mnuTexs", "Textures");
    mnuSounds = addItem(mnuQuick, "mnuSounds", "Sounds");
    mnuMusic = addItem(mnuQuick, "mnuMusic", "Music");
    sep = addSeparator(mnuQuick, "sep");
    mnuComp = addItem(mnuQuick, "mnuComp", "Compressed");
    mnuDecomp = addItem(mnuQuick, "mnuDecomp", "Decompressed");

    mnuOpenFolder = menuBar()->addMenu(QStringLiteral("Open Folder"));
    mnuOpenFolder->setObjectName(QStringLiteral("mnuOpenFolder"));
    mnuopMaps = addItem(mnuOpenFolder, "mnuopMaps", "Maps");
    mnuopTextures = addItem(mnuOpenFolder, "mnuopTextures", "Textures");
    mnuopSounds = addItem(mnuOpenFolder, "mnuopSounds", "Sounds");
    mnuopSystem = addItem(mnuOpenFolder, "mnuopSystem", "System");
    mnuopMusic = addItem(mnuOpenFolder, "mnuopMusic", "Music");
    sep1 = addSeparator(mnuOpenFolder, "sep1");
    mnuopComp = addItem(mnuOpenFolder, "mnuopComp", "Compressed");
    mnuopDecomp = addItem(mnuOpenFolder, "mnuopDecomp", "Decompressed");

    // Not in the menu bar: only the file list's context menu shows it.
    mnuPopup = new QMenu(QStringLiteral("Edit"), this);
    mnuPopup->setObjectName(QStringLiteral("mnuPopup"));
    mnuDelete = addItem(mnuPopup, "mnuDelete", "Delete");
}

void Form1::setTabOrder() {
    QWidget* chain[] = {txtOutput, List2, Dir1,         File1,        Drive1,      Option2,
                        Option1,   List1, KewlButtons1, KewlButtons2, KewlButtons3};
    for (std::size_t i = 0; i + 1 < std::size(chain); ++i) {
        QWidget::setTabOrder(chain[i], chain[i + 1]);
    }
}

void Form1::Show() {
    if (!loaded_) {
        loaded_ = true;
        Form_Load();
        // The first show places the window in the middle of the screen.
        adjustSize();
        if (QScreen* where = screen()) {
            move(where->availableGeometry().center() - QPoint(width() / 2, height() / 2));
        }
    }
    show();
}

void Form1::showOutputView() {
    Dir1->setVisible(false);
    txtOutput->setVisible(true);
    Frame1->setVisible(false);
    KewlButtons1->setVisible(false);
    KewlButtons2->setVisible(false);
    KewlButtons3->setVisible(false);
    Label1[0]->setVisible(false);
    Label1[1]->setVisible(false);
    List1->setVisible(false);
    List2->setVisible(false);
    Drive1->setVisible(false);
    File1->setVisible(false);
}

void Form1::showBrowserView() {
    Dir1->setVisible(true);
    Frame1->setVisible(true);
    KewlButtons1->setVisible(true);
    KewlButtons2->setVisible(true);
    KewlButtons3->setVisible(true);
    Label1[0]->setVisible(true);
    Label1[1]->setVisible(true);
    List1->setVisible(true);
    List2->setVisible(true);
    Drive1->setVisible(true);
    File1->setVisible(true);
}

void Form1::closeEvent(QCloseEvent* event) {
    event->accept();
    Form_Unload();
}

void Form1::keyPressEvent(QKeyEvent* event) {
    const bool browserView = KewlButtons2->isVisible();
    if (!browserView && event->key() == Qt::Key_Escape) {
        // Asks whether to stop a running job; after a job, leaves its output for the browser.
        if (ReadOutput1.busy()) {
            mnuStop_Click();
        } else {
            mnuLastOutput_Click();
        }
        return;
    }
    if (browserView && event->key() == Qt::Key_Escape) {
        KewlButtons3->click();
        return;
    }
    // Enter presses the button that has the focus (as Space does), and the default button,
    // Start, from anywhere else: the lists and the folder list included, which leave Enter to
    // the window.
    if (browserView && (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)) {
        auto* focused = qobject_cast<QPushButton*>(focusWidget());
        (focused ? focused : KewlButtons2)->click();
        return;
    }
    QMainWindow::keyPressEvent(event);
}

} // namespace tolvane
