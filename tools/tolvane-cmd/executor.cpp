#include "executor.h"

#include "console.h"
#include "lineparser.h"
#include "move.h"
#include "platform/codepage.h"
#include "programs.h"

namespace tolvane::cmd {

// As the Windows interpreter does with echo on: a blank line, the prompt, the line as it runs
// (its variables expanded), a blank.
void Executor::echo(const BatchLine& line) {
    const bool plain = line.bytes.find('%') == std::string::npos;
    const std::string shown =
        plain ? line.bytes : toConsole(expandVariables(line.text, environmentVariable));
    std::string text;
    text.reserve(folder_.promptText().size() + shown.size() + 6);
    text += "\r\n";
    text += folder_.promptText();
    text += '>';
    text += shown;
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
