#pragma once
// The main window: the file browser, the mode, the queue, the buttons and the job output.

#include "common/GameSearch.h"
#include "job/Job.h"
#include "job/Progress.h"
#include "platform/folderwindow.h"
#include "runner/ReadOutput.h"
#include "ui/FolderChooser.h"
#include "ui/MessageBoxes.h"

#include <QMainWindow>
#include <QPointer>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class QAction;
class QGroupBox;
class QLabel;
class QListWidget;
class QListWidgetItem;
class QMenu;
class QPlainTextEdit;
class QProgressBar;
class QUrl;
class QPushButton;
class QRadioButton;

namespace tolvane {

class DirListBox;
class OutputBatcher;
class DriveListBox;
class FileListBox;

// An entry for the selection list, which sorts alphabetically without regard to letter case.
QListWidgetItem* makeSortedItem(const QString& text);

class Form1 : public QMainWindow {
    Q_OBJECT
public:
    // What the window needs from outside; tests put their own in.
    struct Services {
        ui::MessageBoxes* messages = nullptr; // null: real message boxes
        // Ends the process at once; null: flush and _exit(0).
        std::function<void()> endProgram;
        // Opens folder windows; null: the folder window program beside the executable.
        platform::FolderWindowLauncher* folders = nullptr;
        // The desktop's folder dialog; null: the real one.
        ui::FolderChooser* folderChooser = nullptr;
        // A host folder named on the command line, looked at before anywhere else.
        std::string namedFolder = {};
    };

    Form1();
    explicit Form1(Services services);
    ~Form1() override;

    // Loads the window (runs Form_Load once) and shows it.
    void Show();
    bool isLoaded() const { return loaded_; }

    // The splash window, closed by the close sequence if it is still there.
    void setSplash(QWidget* splash) { splash_ = splash; }

    // Handlers.
    void Form_Load();
    void Form_Unload();
    void Drive1_Change();
    void Dir1_Change();
    void KewlButtons3_Click();

    // The file browser and the selection list.
    void Dir1_MouseDown(Qt::MouseButton Button, const QPoint& globalPos);
    void File1_MouseDown(Qt::MouseButton Button, const QPoint& globalPos);
    void File1_DblClick();
    void KewlButtons1_Click();
    void List1_DblClick();
    void mnuDelete_Click();
    void mnuOpen_Click();
    // Folder shortcuts: each moves the folder list to a folder of the game.
    void mnuMaps_Click();
    void mnuSystem_Click();
    void mnuTexs_Click();
    void mnuSounds_Click();
    void mnuMusic_Click();
    void mnuComp_Click();
    void mnuDecomp_Click();
    // Folder windows: each opens a window on a folder of the game.
    void mnuopMaps_Click();
    void mnuopTextures_Click();
    void mnuopSounds_Click();
    void mnuopSystem_Click();
    void mnuopMusic_Click();
    void mnuopComp_Click();
    void mnuopDecomp_Click();
    // Opens a new window of its own on the folder; says why when it cannot.
    void OpenFolderWindow(const std::string& winPath);

    // The job: the Start button, the runner's events and the output box.
    void KewlButtons2_Click();
    void ReadOutput1_Starting();
    void ReadOutput1_GotChunk(const std::string& sChunk, bool LastChunk);
    void ReadOutput1_Error(const std::string& Error, std::int32_t LastDLLError);
    void ReadOutput1_Complete();
    void txtOutput_Change();
    // Shows the last job's output again, or goes back to the browser from it.
    void mnuLastOutput_Click();

    // Big jobs: stopping one, leaving out files already done, files dropped from a file manager
    // (host paths), and the progress of a running job.
    void mnuStop_Click();
    // Lets the user choose the game folder, which is remembered and counts at once.
    void mnuGame_Click();
    // A redirect folder: where results go (remembered), and queueing every package whose .uz
    // there is missing or older than the package.
    void mnuOutput_Click();
    void mnuQueueNew_Click();
    void mnuSkip_Click();
    void OLEDragDrop(const QList<QUrl>& dropped);

    // Controls, named as the window designer named them.
    QListWidget* List1 = nullptr;
    QGroupBox* Frame1 = nullptr;
    QRadioButton* Option1 = nullptr;
    QRadioButton* Option2 = nullptr;
    QLabel* Label1[2] = {nullptr, nullptr};
    DriveListBox* Drive1 = nullptr;
    FileListBox* File1 = nullptr;
    DirListBox* Dir1 = nullptr;
    QListWidget* List2 = nullptr;
    QPlainTextEdit* txtOutput = nullptr;
    QPushButton* KewlButtons1 = nullptr;
    QPushButton* KewlButtons2 = nullptr;
    QPushButton* KewlButtons3 = nullptr;
    QProgressBar* ProgressBar1 = nullptr;

    // Menus.
    QMenu* mnuOptions = nullptr;
    QAction* mnuOpen = nullptr;
    QAction* mnuSkip = nullptr;
    QAction* mnuStop = nullptr;
    QAction* mnuLastOutput = nullptr;
    QAction* mnuGame = nullptr;
    QAction* mnuOwnTool = nullptr;
    QAction* mnuOutput = nullptr;
    QAction* mnuOutputReset = nullptr;
    QAction* mnuQueueNew = nullptr;
    QAction* mnuOneAtATime = nullptr;
    QMenu* mnuQuick = nullptr;
    QAction* mnuMaps = nullptr;
    QAction* mnuSystem = nullptr;
    QAction* mnuTexs = nullptr;
    QAction* mnuSounds = nullptr;
    QAction* mnuMusic = nullptr;
    QAction* sep = nullptr;
    QAction* mnuComp = nullptr;
    QAction* mnuDecomp = nullptr;
    QMenu* mnuOpenFolder = nullptr;
    QAction* mnuopMaps = nullptr;
    QAction* mnuopTextures = nullptr;
    QAction* mnuopSounds = nullptr;
    QAction* mnuopSystem = nullptr;
    QAction* mnuopMusic = nullptr;
    QAction* sep1 = nullptr;
    QAction* mnuopComp = nullptr;
    QAction* mnuopDecomp = nullptr;
    QMenu* mnuPopup = nullptr;
    QAction* mnuDelete = nullptr;

    // The command runner, owned for the window's whole life. It yields to the event loop
    // between reads, so the window keeps working while a job runs inside a handler.
    ReadOutput ReadOutput1;

    // The two views of the window.
    void showOutputView();
    void showBrowserView();

    ui::MessageBoxes& messages() { return *messages_; }

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void buildControls();
    void buildModeFrame(QWidget* client);
    void buildBrowser(QWidget* client);
    void buildButtons(QWidget* client);
    void buildMenus();
    void connectBrowser();
    void setTabOrder();
    void closeSequence();
    void connectShortcuts();
    void snapTo(std::string_view suffix);
    void openGameFolderWindow(std::string_view suffix);
    void connectJob();
    // The job as the queue, the mode and the game folder give it now.
    BatchJob queuedJob() const;
    bool writeBatchFile(const Job& job);
    // The question at the end of a job, naming the results it did not produce.
    bool askToExit(const std::vector<std::string>& missing);
    // Queues files of one folder: full paths into List1 at their sorted places, bare names at
    // the end of List2.
    void queueFiles(const QString& folder, const QStringList& names);
    void buildJobExtras();
    void buildGameFolderMenu();
    void buildToolMenu();
    void buildRedirectMenu();
    // The output folder chosen, as a Windows path; empty for Compressed or Decompressed under
    // the game folder.
    std::string outputFolder() const;
    ToolChoice toolChoice() const;
    // Why the job's tool cannot run, said before anything runs; nothing when it can.
    std::optional<std::string> toolProblem(const BatchJob& batch) const;
    void setToolEnvironment(const BatchJob& batch) const;
    // Where the game is: found, or asked of the user when it is nowhere to be found.
    GameLocation locateGame();
    std::optional<GameLocation> askForGameFolder();
    // The browser on the game folder, with its output folders made.
    void showGameFolder();
    ui::FolderChooser& folderChooser();
    void beginProgress(const Job& job);
    void showProgress();
    void endProgress();
    // After the job: a stopped job's half-written result goes; results not smaller than their
    // packages are named. Returns the results the job did not produce.
    [[nodiscard]] std::vector<std::string> finishJob(const Job& job);

    Services services_;
    std::unique_ptr<ui::MessageBoxes> ownMessages_;
    ui::MessageBoxes* messages_ = nullptr;
    std::unique_ptr<ui::FolderChooser> ownFolderChooser_;
    QPointer<QWidget> splash_;
    bool loaded_ = false;
    bool closing_ = false;

    std::unique_ptr<platform::FolderWindowLauncher> ownFolders_;
    platform::FolderWindowLauncher* browser_ = nullptr;

    // The job taken when Start was last pressed; its end is checked against it.
    std::optional<Job> job_;

    std::optional<JobProgress> progress_;
    bool progressToShow_ = false; // a step not yet on the bar and in the title
    QString titleBeforeJob_;
    std::size_t leftOut_ = 0; // queued files left out of the running job as already done
    bool stopped_ = false;

    // Gathers a fast job's output into fewer, larger additions to the output box.
    std::unique_ptr<OutputBatcher> pendingOutput_;
    // Adds a job's output at the end of the box, and keeps its end in view while the user
    // follows it.
    void addOutput(const QString& text);
    bool followOutput_ = false; // while output is added: the user was following its end
};

} // namespace tolvane
