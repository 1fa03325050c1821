#include "cleanup/file_operations.h"

#include <algorithm>

#include "platform/platform.h"
#include "run/console_out.h"
#include "run/questions.h"
#include "run/run_status.h"

namespace tovrin {

namespace {

constexpr int SHELL_NOTHING_TO_DO = 0x402;
// ERROR_FILENAME_EXCED_RANGE: reported for a path that does not fit the shell's path buffer.
constexpr int PATH_TOO_LONG = 206;
// The shell's path lists end in two NULs, so a 260-byte buffer holds at most 258 characters.
constexpr std::size_t LONGEST_SHELL_PATH = SHELL_PATH_BUFFER - 2;

enum class Action { Clean, Rename };

// Fills `buffer` with zeros and then the text. False, with the buffer left all zeros, when the text does
// not fit: the shell must never see a shortened path.
bool fillPathBuffer(ShellPathBuffer& buffer, const std::string& text) {
    buffer.fill('\0');
    if (text.size() > LONGEST_SHELL_PATH) return false;
    std::copy(text.begin(), text.end(), buffer.begin());
    return true;
}

int holdErrorDialogue(int shellResult, Action action, const std::string& displayName, const std::string& errorCode,
                      std::string& status) {
    printBlankLine();
    printText("Error " + errorCode + (action == Action::Clean ? ": Unable to clean " : ": Unable to rename ") +
                  displayName + ".",
              true);
    printText("The error code reported was: ", false);
    printNumber(static_cast<std::int32_t>(shellResult), true);
    printText("This error is nonfatal, but this step should be completed.", true);
    if (action == Action::Clean) {
        printText(std::string("An alternative is to try running CCleaner from ") + CleanerAddress + ".", true);
    }
    std::string answer;
    askYesNo(answer, "Do you want to continue running Tovrin (Y/N)? ", 1);
    if (answer == "Y") {
        printText("OK, Tovrin will continue and will not report this error at the end.", true);
        printBlankLine();
        return 0;
    }
    // Input has ended: the question has already said so and set the status; no answer means stop.
    if (answer != "N") return 1;
    printText("OK, Tovrin will now exit.", true);
    printBlankLine();
    status = errorCode;
    return 1;
}

int reportShellResult(ShellFileResult shellResult, Action action, const std::string& displayName,
                      const std::string& errorCode, std::string& status) {
    // The shell reports 0 also when its confirmation was declined or could not be shown: nothing was done then,
    // and the user has already chosen, so the step goes on without claiming success.
    if (shellResult.code == 0 && shellResult.anyOperationsAborted) {
        printBlankLine();
        printText("The " + displayName + " was not cleaned: the operation was cancelled.", true);
        return 0;
    }
    if (shellResult.code == 0) {
        printBlankLine();
        printText("The " + displayName + " was cleaned successfully.", true);
        return 0;
    }
    if (shellResult.code == SHELL_NOTHING_TO_DO) {
        printText("The " + displayName + " does not exist, or cannot be cleaned automatically.", true);
        return 0;
    }
    return holdErrorDialogue(shellResult.code, action, displayName, errorCode, status);
}

}  // namespace

int flushFolder(std::string path, std::string displayName, std::string errorCode, std::string& status) {
    printBlankLine();
    printText("Flushing " + path + "...", true);
    ShellPathBuffer source;
    ShellFileResult result;
    result.code = PATH_TOO_LONG;
    if (fillPathBuffer(source, path)) {
        ShellFileRequest request;
        request.operation = SHELL_OP_DELETE;
        request.from = &source;
        request.to = nullptr;
        request.flags = SHELL_FLAG_SIMPLE_PROGRESS;
        request.progressTitle = "Flushing...";
        result = platform().shell->fileOperation(request);
    }
    return reportShellResult(result, Action::Clean, displayName, errorCode, status);
}

int flushAndRecreateFolder(std::string path, std::string displayName, std::string errorCode, std::string& status) {
    const int result = flushFolder(path, displayName, errorCode, status);
    platform().shell->createDirectory(path);
    return result;
}

int renameToOld(std::string path, std::string displayName, std::string errorCode, std::string timeStamp,
                std::string& status) {
    printBlankLine();
    printText("Renaming " + path + "...", true);
    ShellPathBuffer source;
    ShellPathBuffer target;
    ShellFileResult result;
    result.code = PATH_TOO_LONG;
    if (fillPathBuffer(source, path) && fillPathBuffer(target, path + timeStamp + ".old")) {
        ShellFileRequest request;
        request.operation = SHELL_OP_RENAME;
        request.from = &source;
        request.to = &target;
        request.flags = SHELL_FLAG_SIMPLE_PROGRESS;
        request.progressTitle = "Renaming...";
        result = platform().shell->fileOperation(request);
    }
    return reportShellResult(result, Action::Rename, displayName, errorCode, status);
}

}  // namespace tovrin
