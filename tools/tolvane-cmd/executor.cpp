#include "executor.h"

#include "console.h"
#include "lineparser.h"
#include "move.h"
#include "platform/codepage.h"
#include "programs.h"

namespace tolvane::cmd {

void Executor::echo(const BatchLine& line) {
    std::string text;
    text.reserve(folder_.promptText().size() + line.bytes.size() + 6);
    text += "\r\n";
    text += folder_.promptText();
    text += '>';
    text += line.bytes;
    text += " \r\n";
    writeOut(text);
}

int Executor::runLine(const BatchLine& line) {
    echo(line);
    const std::vector<std::string> fields = splitFields(line.text, environmentVariable);
    if (fields.empty()) {
        return 0; // a line of nothing but empty variables
    }
    if (platform::equalsIgnoringCase(fields.front(), "move")) {
        return moveCommand({fields.begin() + 1, fields.end()}, folder_);
    }
    auto program = programs_.find(fields.front());
    if (!program) {
        reportNotRecognized(fields.front());
        return kNotRecognized;
    }
    return runProgram(*program, fields);
}

int Executor::runBatch(const std::vector<BatchLine>& lines) {
    int errorlevel = 0;
    for (const auto& line : lines) {
        errorlevel = runLine(line);
    }
    return errorlevel;
}

} // namespace tolvane::cmd
