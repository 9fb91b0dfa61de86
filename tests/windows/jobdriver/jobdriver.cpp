// Drives one Compress job through the real tolvane.exe from inside it, as a user does with the
// mouse: loaded into the program by Qt as a generic plugin (QT_QPA_GENERIC_PLUGINS=
// tolvanejobdriver:REPORT_FILE), so the program runs unchanged. When the main window shows it
// queues every file of Maps, picks the game's tool or, with TOLVANE_DRIVER_OWN_TOOL set,
// Tolvane's own, and presses Start; each message box is written to the report with
// the job's output, then answered: Yes where there is a question, which ends the program, and
// OK otherwise. A program still running after two minutes ends with exit code 3.

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QFile>
#include <QGenericPlugin>
#include <QMessageBox>
#include <QTimer>

#include <cstdlib>

namespace {

class JobDriver : public QObject {
public:
    explicit JobDriver(const QString& report) : report_(report) {
        report_.open(QIODevice::WriteOnly | QIODevice::Text);
        auto* poll = new QTimer(this);
        connect(poll, &QTimer::timeout, this, &JobDriver::poll);
        poll->start(100);
        QTimer::singleShot(120000, this, [this] {
            write(QStringLiteral("timed out\n"));
            std::_Exit(3);
        });
    }

private:
    // Written out at once: a Yes ends the program without a word to its plugins.
    void write(const QString& text) {
        report_.write(text.toUtf8());
        report_.flush();
    }

    template <typename T> T* child(const char* name) const {
        return form_ ? form_->findChild<T*>(QLatin1String(name)) : nullptr;
    }

    // The output box, read as assistive tools read it.
    QString outputText() const {
        QAccessibleInterface* box =
            QAccessible::queryAccessibleInterface(child<QWidget>("txtOutput"));
        QAccessibleTextInterface* text = box ? box->textInterface() : nullptr;
        return text ? text->text(0, text->characterCount()) : QString();
    }

    void poll() {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            box && box->isVisible()) {
            write(QStringLiteral("---- output ----\n%1\n---- %2 ----\n%3\n")
                      .arg(outputText(), box->windowTitle(), box->text()));
            QAbstractButton* yes = box->button(QMessageBox::Yes);
            (yes ? yes : box->buttons().value(0))->click();
            return;
        }
        if (started_) {
            return;
        }
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (window->objectName() == QLatin1String("Form1") && window->isVisible()) {
                form_ = window;
            }
        }
        auto* maps = child<QAction>("mnuMaps");
        auto* files = child<QAbstractItemView>("File1");
        auto* add = child<QAbstractButton>("KewlButtons1");
        auto* start = child<QAbstractButton>("KewlButtons2");
        if (!maps || !files || !add || !start) {
            return;
        }
        started_ = true;
        write(QStringLiteral("main window: %1\n").arg(form_->windowTitle()));
        // Set either way: the program remembers the choice.
        if (auto* ownTool = child<QAction>("mnuOwnTool")) {
            ownTool->setChecked(qEnvironmentVariableIsSet("TOLVANE_DRIVER_OWN_TOOL"));
        }
        maps->trigger();
        files->selectAll();
        add->click();
        // Start runs the job in a loop of its own, which must not be this timer's call.
        QTimer::singleShot(0, start, &QAbstractButton::click);
    }

    QFile report_;
    QWidget* form_ = nullptr;
    bool started_ = false;
};

} // namespace

class JobDriverPlugin : public QGenericPlugin {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QGenericPluginFactoryInterface_iid FILE "jobdriver.json")
public:
    QObject* create(const QString&, const QString& report) override {
        // Not again in the programs this one starts, such as the results' folder window.
        qunsetenv("QT_QPA_GENERIC_PLUGINS");
        return new JobDriver(report);
    }
};

#include "jobdriver.moc"
