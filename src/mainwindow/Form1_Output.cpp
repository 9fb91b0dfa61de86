// The job's output, a failed start, and the end of a job.

#include "mainwindow/Form1.h"

#include "common/Module1.h"
#include "mainwindow/BatchFile.h"
#include "mainwindow/Messages.h"
#include "mainwindow/OutputBatcher.h"
#include "platform/codepage.h"
#include "platform/files.h"
#include "platform/winpath.h"

#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTextCursor>

#include <map>
#include <set>

namespace tolvane {

namespace {
constexpr std::size_t kMostNamesListed = 20;
// Output held back for less than a screen refresh or two looks the same as output shown at once.
constexpr std::chrono::milliseconds kOutputHoldAtMost{20};
} // namespace

void Form1::connectJob() {
    // Only the new text is added: re-setting the whole text on every chunk would make a long
    // job's output cost quadratic time.
    pendingOutput_ =
        std::make_unique<OutputBatcher>(kOutputHoldAtMost, [this](const QString& text) {
            QTextCursor end(txtOutput->document());
            end.movePosition(QTextCursor::End);
            end.insertText(text);
            txtOutput_Change();
        });
    connect(KewlButtons2, &QPushButton::clicked, this, &Form1::KewlButtons2_Click);
    ReadOutput1.Starting = [this] { ReadOutput1_Starting(); };
    ReadOutput1.GotChunk = [this](const std::string& sChunk, bool LastChunk) {
        ReadOutput1_GotChunk(sChunk, LastChunk);
    };
    ReadOutput1.Error = [this](const std::string& Error, std::int32_t LastDLLError) {
        ReadOutput1_Error(Error, LastDLLError);
    };
    ReadOutput1.Complete = [this] { ReadOutput1_Complete(); };
}

void Form1::ReadOutput1_Starting() {
    pendingOutput_->discard();
    txtOutput->clear();
    txtOutput_Change();
}

void Form1::ReadOutput1_GotChunk(const std::string& sChunk, bool LastChunk) {
    // Carriage returns are dropped and every line feed makes one line break, so CR LF split
    // between two chunks still gives one break, and a lone CR gives none.
    QString text = QString::fromStdString(sChunk);
    text.remove(QLatin1Char('\r'));
    pendingOutput_->add(text);
    // Outside a running job (and at its end) nobody would come back for held text.
    if (LastChunk || !ReadOutput1.busy()) {
        pendingOutput_->flush();
    }
}

void Form1::txtOutput_Change() {
    QTextCursor caret = txtOutput->textCursor();
    caret.movePosition(QTextCursor::End); // selection length 0, caret after the last character
    txtOutput->setTextCursor(caret);
    txtOutput->ensureCursorVisible();
}

void Form1::ReadOutput1_Error(const std::string& Error, std::int32_t LastDLLError) {
    pendingOutput_->flush();
    messages().show("Error!\r\nDescription: " + Error +
                        "\r\nLastDLLError: " + std::to_string(LastDLLError),
                    "Error", platform::kMbIconStop);
    // Nothing ran, so the queue is kept and the browser comes back for another try.
    if (txtOutput->isVisible()) {
        showBrowserView();
        txtOutput->setVisible(false);
    }
}

std::vector<std::string> Form1::missingResults(const std::string& gameFolder) const {
    std::vector<std::string> expected;
    if (Option1->isChecked()) {
        for (int i = 0; i < List1->count(); ++i) {
            expected.push_back(platform::fileNameOf(List1->item(i)->text().toStdString()) + ".uz");
        }
    } else {
        for (int i = 0; i < List2->count(); ++i) {
            expected.push_back(
                decompressedName(List2->item(i)->text().toStdString()).value_or(std::string()));
        }
    }
    const std::string folder =
        gameFolder + (Option1->isChecked() ? "\\Compressed\\" : "\\Decompressed\\");
    std::vector<std::string> missing;
    std::set<std::string> absent; // folded, as Windows compares names
    for (const auto& name : expected) {
        platform::FileInfo info;
        if (name.empty() || platform::statPath(folder + name, info) || info.isFolder ||
            info.modified < jobStarted_) {
            missing.push_back(name);
            absent.insert(platform::foldCase(name));
        }
    }

    // Two sources whose results have one Windows name (the same name in two folders, or names
    // that differ only in letter case) leave one result: each replaces the one before it, in
    // the order of the queue. The replaced ones were not produced, though their name is there.
    std::vector<std::pair<std::string, std::string>> results; // result name, source path
    std::map<std::string, std::string> lastSource;            // folded result name -> source
    for (int i = 0; i < List1->count(); ++i) {
        const std::string path = List1->item(i)->text().toStdString();
        const std::string name = platform::fileNameOf(path);
        const std::string result =
            Option1->isChecked() ? name + ".uz" : decompressedName(name).value_or(std::string());
        if (!result.empty()) {
            results.emplace_back(result, path);
            lastSource[platform::foldCase(result)] = path;
        }
    }
    for (const auto& [result, path] : results) {
        const std::string folded = platform::foldCase(result);
        if (lastSource[folded] != path && !absent.count(folded)) {
            missing.push_back(result);
        }
    }
    return missing;
}

void Form1::ReadOutput1_Complete() {
    pendingOutput_->flush();
    const std::string gameFolder = Module1::GetGameFolder();
    const auto missing = missingResults(gameFolder);
    int answer = 0;
    if (missing.empty()) {
        answer = messages().show("Compiling Completed! Would you like to eixt?", "Success!",
                                 platform::kMbYesNo);
    } else {
        std::string text = "Compiling finished with errors. These files were not produced:";
        for (std::size_t i = 0; i < missing.size() && i < kMostNamesListed; ++i) {
            text += "\r\n" + missing[i];
        }
        if (missing.size() > kMostNamesListed) {
            text += "\r\nand " + std::to_string(missing.size() - kMostNamesListed) + " more";
        }
        text += "\r\nWould you like to exit?";
        answer = messages().show(text, messages::kErrorTitle,
                                 platform::kMbYesNo + platform::kMbIconStop);
    }

    const std::string results =
        gameFolder + (Option1->isChecked() ? "\\Compressed" : "\\Decompressed");
    if (answer == platform::kIdYes) {
        // A batch file that is already gone or cannot be removed must not keep the user here.
        (void)platform::deleteFile(gameFolder + "\\uccmake.bat", true);
        if (mnuOpen->isChecked()) {
            OpenFolderWindow(results);
        }
        close();
        return;
    }
    if (mnuOpen->isChecked()) {
        OpenFolderWindow(results);
    }
    showBrowserView();
    List1->clear();
    List2->clear();
    txtOutput->setVisible(false);
}

} // namespace tolvane
