#pragma once
// The first window of the program: name, version, platforms and logo for two one-second ticks,
// then it opens the main window and closes itself.

#include <QFrame>
#include <QPointer>

#include <functional>

class QLabel;
class QTimer;

namespace tolvane {

class Form1;

class frmSplash : public QFrame {
    Q_OBJECT
public:
    // Makes the main window at the handover; null makes a plain Form1. Tests put in their own.
    using Form1Factory = std::function<Form1*()>;

    explicit frmSplash(Form1Factory makeForm1 = {});
    ~frmSplash() override;

    // The countdown step, run on every tick of Timer1.
    void Timer1_Timer();

    // The main window once the handover has made it.
    Form1* form1() const;

    // Controls, named as the window designer named them.
    QTimer* Timer1 = nullptr;
    QFrame* Frame1 = nullptr;
    QLabel* Label9 = nullptr;
    QLabel* Label8 = nullptr;
    QLabel* imgLogo = nullptr;
    QLabel* lblVersion = nullptr;
    QLabel* lblPlatform = nullptr;
    QLabel* lblProductName = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildControls(QWidget* client);
    void centreOnScreen();

    Form1Factory makeForm1_;
    QPointer<Form1> form1_;
    bool handingOver_ = false;
};

} // namespace tolvane
