// How the output box keeps up with a long job: a command writes 2 MB (then 4 MB) of tool output
// through the real runner into Form1's txtOutput, against a raw drain of the same output through
// the same runner, with the same event processing between reads, into a handler that only counts
// the bytes. Qt's text box puts every line into its document, a few microseconds a line, and
// that is most of what the box costs: the time it takes the same 2 MB in one piece is printed
// beside it. The box may cost at most 10 times the raw drain, and 4 MB at most 2.5 times as long
// as 2 MB (a document costs a little more per line as it grows; re-setting the whole text for
// every piece would cost 4 times as long).

#include "BenchSupport.h"
#include "mainwindow/Form1.h"
#include "runner/ReadOutput.h"
#include "ui/MessageBoxes.h"

#include <QApplication>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QTextDocument>

#include <fstream>
#include <iterator>
#include <string>
#include <sys/stat.h>

using namespace tolvane;

namespace {

constexpr long long kMegabyte = 1024 * 1024;
constexpr int kRounds = 5;

// Output like a long job's: commands echoed after the prompt and the tool's own lines, CR LF.
void writeOutput(const std::string& path, long long bytes) {
    std::ofstream out(path, std::ios::binary);
    long long written = 0;
    for (int i = 0; written < bytes; ++i) {
        std::string line;
        switch (i % 4) {
        case 0:
            line = "C:\\UnrealTournament\\System>C:\\UnrealTournament\\System\\ucc.exe Compress "
                   "C:\\UnrealTournament\\Maps\\DM-Map" +
                   std::to_string(i) + ".unr\r\n";
            break;
        case 1:
            line = "Compressing C:\\UnrealTournament\\Maps\\DM-Map" + std::to_string(i - 1) +
                   ".unr\r\n";
            break;
        case 2:
            line = "Compressed DM-Map" + std::to_string(i - 2) + ".unr -> DM-Map" +
                   std::to_string(i - 2) + ".unr.uz (61.3%)\r\n";
            break;
        default:
            line = "        1 file(s) moved.\r\n\r\n";
            break;
        }
        if (written + static_cast<long long>(line.size()) > bytes) {
            line.resize(static_cast<std::size_t>(bytes - written));
        }
        out << line;
        written += static_cast<long long>(line.size());
    }
}

std::string writeProducer(const std::string& folder, const std::string& name,
                          const std::string& data) {
    const std::string path = folder + "/" + name;
    std::ofstream(path) << "#!/bin/sh\nexec cat '" << data << "'\n";
    ::chmod(path.c_str(), 0755);
    return path;
}

// The same output through the same runner, into a handler that only counts.
double drainSeconds(const std::string& producer, long long& bytes) {
    ::setenv("ComSpec", producer.c_str(), 1);
    ReadOutput runner;
    bytes = 0;
    runner.yield = [] { QCoreApplication::processEvents(); };
    runner.GotChunk = [&](const std::string& sChunk, bool) {
        bytes += static_cast<long long>(sChunk.size());
    };
    runner.SetCommand("C:\\uccmake.bat");
    return bench::timed([&] {
        runner.ProcessCommand();
        QCoreApplication::processEvents();
    });
}

// The output through the window's own runner, its handlers and the visible box, including the
// last repaint. Only the end-of-job question is left out.
double boxSeconds(Form1& form, const std::string& producer) {
    ::setenv("ComSpec", producer.c_str(), 1);
    form.ReadOutput1.Complete = [] {};
    form.ReadOutput1.SetCommand("C:\\uccmake.bat");
    return bench::timed([&] {
        form.ReadOutput1.ProcessCommand();
        QCoreApplication::processEvents();
    });
}

struct Figures {
    double drain = 1e9;
    double box = 1e9;
};

// Alternates the two, best of five each, so that a busy moment of the machine hits both.
Figures measure(Form1& form, const std::string& producer, long long size, bool& ok) {
    Figures best;
    for (int round = 0; round < kRounds; ++round) {
        long long drained = 0;
        best.drain = std::min(best.drain, drainSeconds(producer, drained));
        best.box = std::min(best.box, boxSeconds(form, producer));
        // Every byte but the CRs must be in the box, and the caret at its end.
        const QString text = form.txtOutput->toPlainText();
        const QTextCursor caret = form.txtOutput->textCursor();
        if (drained != size || text.contains(QLatin1Char('\r')) ||
            caret.position() != form.txtOutput->document()->characterCount() - 1 ||
            caret.hasSelection()) {
            std::fprintf(stderr, "output went wrong: %lld of %lld bytes drained\n", drained, size);
            ok = false;
        }
    }
    return best;
}

} // namespace

int main(int argc, char** argv) {
    bench::offscreenByDefault();
    QTemporaryDir work;
    const std::string folder = work.path().toStdString();
    writeOutput(folder + "/2mb.txt", 2 * kMegabyte);
    writeOutput(folder + "/4mb.txt", 4 * kMegabyte);
    const std::string producer2 = writeProducer(folder, "producer2", folder + "/2mb.txt");
    const std::string producer4 = writeProducer(folder, "producer4", folder + "/4mb.txt");

    QApplication app(argc, argv);
    bench::SilentMessageBoxes messages;
    Form1::Services services;
    services.messages = &messages;
    services.endProgram = [] {};
    services.namedFolder = folder; // a game folder, so that no folder dialog waits at the start
    Form1 form(services);
    form.Show();
    form.showOutputView();
    QApplication::processEvents();

    bool ok = true;
    const Figures two = measure(form, producer2, 2 * kMegabyte, ok);
    const Figures four = measure(form, producer4, 4 * kMegabyte, ok);
    if (!ok) {
        return 1;
    }

    // For scale: what the box itself costs for all of the 2 MB handed over in one piece.
    std::ifstream in(folder + "/2mb.txt", std::ios::binary);
    const std::string whole((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    form.ReadOutput1_Starting();
    const double onePiece = bench::timed([&] {
        form.ReadOutput1_GotChunk(whole, true);
        QCoreApplication::processEvents();
    });

    std::printf("raw drain = the same runner and event processing, handler only counts bytes\n");
    std::printf("2 MB: box %.1f ms, raw drain %.1f ms\n", two.box * 1000, two.drain * 1000);
    std::printf("4 MB: box %.1f ms, raw drain %.1f ms\n", four.box * 1000, four.drain * 1000);
    std::printf("2 MB handed to the box in one piece (the text widget's own floor): %.1f ms\n",
                onePiece * 1000);
    bench::result("output_box_2mb_vs_drain", two.box / two.drain, "x", "<=", 10);
    bench::result("output_box_4mb_vs_drain", four.box / four.drain, "x", "<=", 10);
    bench::result("output_box_4mb_vs_2mb", four.box / two.box, "x", "<=", 2.5);
    return 0;
}
