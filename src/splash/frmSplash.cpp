#include "splash/frmSplash.h"

#include "mainwindow/Form1.h"
#include "mainwindow/Twips.h"
#include "splash/Artwork.h"

#include <QCloseEvent>
#include <QLabel>
#include <QScreen>
#include <QTimer>

namespace tolvane {

namespace {

// The labels were laid out in Arial. Where it is missing, Liberation Sans has the same metrics,
// so the texts keep their size and place; after that, whatever sans-serif font there is.
QFont arial(double points, bool bold) {
    QFont font;
    font.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans")});
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

void paintWhite(QWidget* widget) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, Qt::white);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

QLabel* makeLabel(QWidget* parent, const char* name, const char* text) {
    auto* label = new QLabel(QString::fromLatin1(text), parent);
    label->setObjectName(QString::fromLatin1(name));
    return label;
}

// A label that sizes itself to its text while its right edge stays where it was laid out.
void placeRightAligned(QLabel* label, int rightTwips, int topTwips) {
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    label->adjustSize();
    label->move(twips(rightTwips) - label->width(), twips(topTwips));
}

} // namespace

frmSplash::frmSplash(Form1Factory makeForm1) : makeForm1_(std::move(makeForm1)) {
    if (!makeForm1_) {
        // Lives until the program ends, which the main window's close sequence does.
        makeForm1_ = [] { return new Form1(); };
    }
    setObjectName(QStringLiteral("frmSplash"));
    // No title bar and no buttons of the window system, only a raised dialog border.
    setWindowFlags(Qt::SplashScreen | Qt::FramelessWindowHint);
    setFrameStyle(QFrame::WinPanel | QFrame::Raised);
    setAttribute(Qt::WA_DeleteOnClose); // closing it unloads it
    setWindowIcon(programIcon());
    paintWhite(this);

    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    paintWhite(client);
    client->setGeometry(frameWidth(), frameWidth(), twips(7380), twips(4245));
    setFixedSize(client->width() + 2 * frameWidth(), client->height() + 2 * frameWidth());
    buildControls(client);
    centreOnScreen();

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(1000);
    connect(Timer1, &QTimer::timeout, this, &frmSplash::Timer1_Timer);
    Timer1->start();
}

frmSplash::~frmSplash() = default;

Form1* frmSplash::form1() const {
    return form1_;
}

void frmSplash::buildControls(QWidget* client) {
    // Created back to front, so later controls lie above earlier ones.
    // A frame without a caption: an etched rectangle around a white field.
    Frame1 = new QFrame(client);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setFrameStyle(QFrame::Box | QFrame::Sunken);
    Frame1->setGeometry(twipsRect(180, 60, 7080, 4050));
    paintWhite(Frame1);

    // The countdown is kept in a label nobody sees.
    Label9 = makeLabel(Frame1, "Label9", "2");
    Label9->setGeometry(twipsRect(4740, 3300, 135, 195));
    Label9->setVisible(false);
    Label8 = makeLabel(Frame1, "Label8", "Closing in.........");
    Label8->setGeometry(twipsRect(3180, 3300, 1575, 240));
    Label8->setVisible(false);

    imgLogo = new QLabel(Frame1);
    imgLogo->setObjectName(QStringLiteral("imgLogo"));
    imgLogo->setGeometry(twipsRect(120, 720, 1815, 2385));
    imgLogo->setPixmap(splashLogo());
    imgLogo->setScaledContents(true); // stretched to fill its box

    lblVersion = makeLabel(Frame1, "lblVersion", "Version 1.0 Beta");
    lblVersion->setFont(arial(12, true));
    placeRightAligned(lblVersion, 4995 + 1860, 2700);

    lblPlatform = makeLabel(Frame1, "lblPlatform", "95, 98, 2k, NT, XP");
    lblPlatform->setFont(arial(9.75, true));
    placeRightAligned(lblPlatform, 5220 + 1635, 2340);

    lblProductName = makeLabel(Frame1, "lblProductName", "Tolvane");
    QFont nameFont = arial(32.25, false);
    nameFont.setItalic(true);
    nameFont.setUnderline(true);
    lblProductName->setFont(nameFont);
    QPalette blue = lblProductName->palette();
    blue.setColor(QPalette::WindowText, QColor(0, 0, 255));
    lblProductName->setPalette(blue);
    lblProductName->move(twips(1920), twips(840));
    lblProductName->adjustSize();
}

void frmSplash::centreOnScreen() {
    if (const QScreen* screen = this->screen()) {
        QRect frame = rect();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
}

void frmSplash::Timer1_Timer() {
    Label9->setText(QString::number(Label9->text().toInt() - 1));
    if (Label9->text() != QLatin1String("0")) {
        return;
    }
    handingOver_ = true;
    if (!form1_) {
        form1_ = makeForm1_();
        form1_->setSplash(this);
    }
    // The main window loads and shows while the splash is still up.
    form1_->Show();
    close();
    Timer1->stop();
}

void frmSplash::closeEvent(QCloseEvent* event) {
    // Until the handover nothing closes the splash: the countdown is not to be cut short, and
    // closing the only window would end the program before the main window ever showed.
    if (handingOver_) {
        event->accept();
    } else {
        event->ignore();
    }
}

} // namespace tolvane
