// Drives a Compress job through the real tolvane.exe, loaded into it by Qt as a generic plugin
// (QT_QPA_GENERIC_PLUGINS=tolvanejobdriver:REPORT_FILE): with the main window up, it queues Maps,
// picks the game's tool or (TOLVANE_DRIVER_OWN_TOOL set) Tolvane's own and presses Start. Each
// message box goes into the report with the job's output, then is answered Yes (the end) or OK.

#include <QApplication>
#include <QFile>
#include <QGenericPlugin>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QTimer>

class JobDriverPlugin : public QGenericPlugin {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QGenericPluginFactoryInterface_iid FILE "jobdriver.json")
public:
    QObject* create(const QString&, const QString& reportFile) override {
        qunsetenv("QT_QPA_GENERIC_PLUGINS"); // not in the folder window the program starts
        auto* poll = new QTimer();
        auto* report = new QFile(reportFile, poll);
        report->open(QIODevice::WriteOnly | QIODevice::Unbuffered); // Yes ends the program at once
        connect(poll, &QTimer::timeout, poll, [report, form = (QWidget*)nullptr]() mutable {
            auto call = [&](const char* name, const char* slot, QGenericArgument argument = {}) {
                QMetaObject::invokeMethod(form->findChild<QObject*>(name), slot,
                                          Qt::QueuedConnection, argument);
            };
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                auto* output = form ? form->findChild<QPlainTextEdit*>("txtOutput") : nullptr;
                report->write(QStringLiteral("---- output ----\n%1\n---- %2 ----\n%3\n")
                                  .arg(output ? output->toPlainText() : QString(),
                                       box->windowTitle(), box->text())
                                  .toUtf8());
                box->done(box->button(QMessageBox::Yes) ? QMessageBox::Yes : QMessageBox::Ok);
            }
            for (QWidget* window : form ? QWidgetList() : QApplication::topLevelWidgets()) {
                if (window->objectName() == "Form1" && window->isVisible()) {
                    form = window;
                    call("mnuMaps", "trigger");
                    call("File1", "selectAll");
                    call("KewlButtons1", "click");
                    call("mnuOwnTool", "setChecked",
                         Q_ARG(bool, qEnvironmentVariableIsSet("TOLVANE_DRIVER_OWN_TOOL")));
                    call("KewlButtons2", "click"); // queued: its job runs in a loop of its own
                }
            }
        });
        poll->start(100);
        return poll;
    }
};

#include "jobdriver.moc"
